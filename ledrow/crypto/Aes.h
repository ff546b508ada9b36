// The AES block cipher (FIPS 197), forward direction only: EAX and CMAC
// never decrypt a block. A plain record, so that it can sit inside the
// EAX context and be wiped with it.
#pragma once

#include <cstdint>

namespace crypto {

struct Aes {
  enum { BlockSize = 16, MaxRounds = 14 };

  // keyLength is 16, 24 or 32 (bytes) or 128, 192 or 256 (bits); anything
  // else is a programming error.
  void setKey(const uint8_t* key, int keyLength);
  void encryptBlock(const uint8_t* in, uint8_t* out) const;
  void wipe();

  int rounds;
  uint8_t roundKeys[BlockSize * (MaxRounds + 1)];
};

} // namespace crypto
