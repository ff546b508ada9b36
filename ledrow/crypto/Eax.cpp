#include "ledrow/crypto/Eax.h"

#include "plat/Assert.h"
#include "plat/WipedString.h"

#include <cstring>

namespace crypto {

namespace {

// OMAC_t(M): the CMAC of a block holding t in its last byte, then M.
void omacStart(EaxContext* ctx, Cmac* mac, uint8_t t) {
  uint8_t prefix[Aes::BlockSize] = {0};
  prefix[Aes::BlockSize - 1] = t;
  mac->start();
  mac->update(ctx->key, prefix, sizeof(prefix));
}

void omac(EaxContext* ctx, uint8_t t, const uint8_t* data, size_t length, uint8_t* out) {
  Cmac mac;
  omacStart(ctx, &mac, t);
  mac.update(ctx->key, data, length);
  mac.final(ctx->key, out);
}

void startMessage(const uint8_t* nonce, size_t nonceLength, const uint8_t* header,
                  size_t headerLength, size_t tagLength, EaxContext* ctx) {
  PLAT_ASSERT(tagLength <= EaxMaxTagLength);
  omac(ctx, 0, nonce, nonceLength, ctx->nonceTag);
  omac(ctx, 1, header, headerLength, ctx->headerTag);
  memcpy(ctx->counter, ctx->nonceTag, sizeof(ctx->counter));
  omacStart(ctx, &ctx->cipherMac, 2);
}

// CTR mode from the nonce tag; the counter is one 128-bit big-endian
// number.
void applyKeystream(uint8_t* data, size_t length, EaxContext* ctx) {
  uint8_t stream[Aes::BlockSize];
  while (length) {
    ctx->key.aes.encryptBlock(ctx->counter, stream);
    size_t n = length < sizeof(stream) ? length : sizeof(stream);
    for (size_t i = 0; i < n; i++)
      data[i] ^= stream[i];
    data += n;
    length -= n;
    for (int i = Aes::BlockSize - 1; i >= 0 && ++ctx->counter[i] == 0; i--) {
    }
  }
  plat::secureZero(stream, sizeof(stream));
}

void finishTag(EaxContext* ctx, uint8_t* full) {
  ctx->cipherMac.final(ctx->key, full);
  for (int i = 0; i < Aes::BlockSize; i++)
    full[i] ^= ctx->nonceTag[i] ^ ctx->headerTag[i];
}

} // namespace

void eaxSetKey(const uint8_t* key, int keyLength, EaxContext* ctx) {
  eaxWipe(ctx);
  ctx->key.setKey(key, keyLength);
}

void eaxEncrypt(const uint8_t* nonce, size_t nonceLength, const uint8_t* header,
                size_t headerLength, uint8_t* message, size_t messageLength, uint8_t* tag,
                size_t tagLength, EaxContext* ctx) {
  startMessage(nonce, nonceLength, header, headerLength, tagLength, ctx);
  applyKeystream(message, messageLength, ctx);
  ctx->cipherMac.update(ctx->key, message, messageLength);
  uint8_t full[Aes::BlockSize];
  finishTag(ctx, full);
  memcpy(tag, full, tagLength);
  plat::secureZero(full, sizeof(full));
}

int eaxDecrypt(const uint8_t* nonce, size_t nonceLength, const uint8_t* header,
               size_t headerLength, uint8_t* message, size_t messageLength, const uint8_t* tag,
               size_t tagLength, EaxContext* ctx) {
  startMessage(nonce, nonceLength, header, headerLength, tagLength, ctx);
  ctx->cipherMac.update(ctx->key, message, messageLength);
  uint8_t full[Aes::BlockSize];
  finishTag(ctx, full);
  // Every byte is compared whatever the outcome: the time taken must not
  // tell how much of a forged tag was right.
  volatile uint8_t difference = 0;
  for (size_t i = 0; i < tagLength; i++)
    difference = difference | (uint8_t)(full[i] ^ tag[i]);
  plat::secureZero(full, sizeof(full));
  if (difference != 0) {
    plat::secureZero(message, (int)messageLength);
    return 1;
  }
  applyKeystream(message, messageLength, ctx);
  return 0;
}

void eaxWipe(EaxContext* ctx) {
  plat::secureZero(ctx, sizeof(*ctx));
}

} // namespace crypto
