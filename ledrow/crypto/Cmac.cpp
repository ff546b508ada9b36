#include "ledrow/crypto/Cmac.h"

#include "plat/WipedString.h"

#include <cstring>

namespace crypto {

namespace {

void doubleBlock(const uint8_t* in, uint8_t* out) {
  uint8_t carry = in[0] >> 7;
  for (int i = 0; i < 15; i++)
    out[i] = (uint8_t)(in[i] << 1 | in[i + 1] >> 7);
  // Constant-time: the reduction is masked in rather than branched on.
  out[15] = (uint8_t)(in[15] << 1 ^ (0x87 & -carry));
}

void xorBlock(uint8_t* to, const uint8_t* from) {
  for (int i = 0; i < Aes::BlockSize; i++)
    to[i] ^= from[i];
}

} // namespace

void CmacKey::setKey(const uint8_t* key, int keyLength) {
  aes.setKey(key, keyLength);
  uint8_t l[Aes::BlockSize] = {0};
  aes.encryptBlock(l, l);
  doubleBlock(l, k1);
  doubleBlock(k1, k2);
  plat::secureZero(l, sizeof(l));
}

void CmacKey::wipe() {
  plat::secureZero(this, sizeof(*this));
}

void Cmac::start() {
  memset(chain, 0, sizeof(chain));
  memset(pending, 0, sizeof(pending));
  pendingLength = 0;
}

void Cmac::update(const CmacKey& key, const uint8_t* data, size_t length) {
  while (length) {
    if (pendingLength == Aes::BlockSize) {
      xorBlock(chain, pending);
      key.aes.encryptBlock(chain, chain);
      pendingLength = 0;
    }
    size_t n = Aes::BlockSize - pendingLength;
    if (n > length)
      n = length;
    memcpy(pending + pendingLength, data, n);
    pendingLength += n;
    data += n;
    length -= n;
  }
}

void Cmac::final(const CmacKey& key, uint8_t* mac) {
  if (pendingLength == Aes::BlockSize) {
    xorBlock(pending, key.k1);
  } else {
    pending[pendingLength] = 0x80;
    memset(pending + pendingLength + 1, 0, Aes::BlockSize - pendingLength - 1);
    xorBlock(pending, key.k2);
  }
  xorBlock(chain, pending);
  key.aes.encryptBlock(chain, mac);
  plat::secureZero(this, sizeof(*this));
}

} // namespace crypto
