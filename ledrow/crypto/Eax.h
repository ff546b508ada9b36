// Authenticated encryption in EAX mode (Bellare, Rogaway, Wagner) over AES.
// The context is one fixed-size record: set the key, encrypt or decrypt,
// then wipe it.
#pragma once

#include "ledrow/crypto/Cmac.h"

#include <cstddef>
#include <cstdint>

namespace crypto {

struct EaxContext {
  CmacKey key;
  uint8_t nonceTag[Aes::BlockSize];
  uint8_t headerTag[Aes::BlockSize];
  Cmac cipherMac;
  uint8_t counter[Aes::BlockSize];
};

enum { EaxMaxTagLength = Aes::BlockSize };

// keyLength as for Aes::setKey. Zeroes the context first.
void eaxSetKey(const uint8_t* key, int keyLength, EaxContext* ctx);

// Encrypts message in place and writes tagLength (at most 16) tag bytes.
void eaxEncrypt(const uint8_t* nonce, size_t nonceLength, const uint8_t* header,
                size_t headerLength, uint8_t* message, size_t messageLength, uint8_t* tag,
                size_t tagLength, EaxContext* ctx);

// Checks the tag, then decrypts message in place: 0 when the tag matches.
// On a mismatch the result is non-zero and message is zeroed, so that no
// unauthenticated bytes remain for a careless caller to use.
int eaxDecrypt(const uint8_t* nonce, size_t nonceLength, const uint8_t* header,
               size_t headerLength, uint8_t* message, size_t messageLength, const uint8_t* tag,
               size_t tagLength, EaxContext* ctx);

void eaxWipe(EaxContext* ctx);

} // namespace crypto
