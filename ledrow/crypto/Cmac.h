// CMAC (OMAC1, RFC 4493) over AES. The key part (cipher and the two
// subkeys) and the running state are separate plain records, so that one key
// serves several MACs at once, as EAX needs.
#pragma once

#include "ledrow/crypto/Aes.h"

#include <cstddef>
#include <cstdint>

namespace crypto {

struct CmacKey {
  // The cipher keyed, then K1 = 2L and K2 = 4L in GF(2^128) with
  // L = AES(0^128).
  void setKey(const uint8_t* key, int keyLength);
  void wipe();

  Aes aes;
  uint8_t k1[Aes::BlockSize];
  uint8_t k2[Aes::BlockSize];
};

struct Cmac {
  void start();
  void update(const CmacKey& key, const uint8_t* data, size_t length);
  // Writes the 16-byte MAC; the state must be started again for reuse.
  void final(const CmacKey& key, uint8_t* mac);

  uint8_t chain[Aes::BlockSize];
  // The last block is held back: it is treated differently once it is
  // known to be the last.
  uint8_t pending[Aes::BlockSize];
  size_t pendingLength;
};

} // namespace crypto
