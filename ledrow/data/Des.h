// DES (FIPS 46) on single 8-byte blocks, for the viewer's password
// obfuscation; nothing here is meant to protect data.
#pragma once

#include <cstdint>

namespace addrbook {

class Des {
public:
  enum Direction { Encrypt, Decrypt };

  Des(const uint8_t key[8], Direction direction);
  Des(const Des&) = delete;
  Des& operator=(const Des&) = delete;
  ~Des();

  // in and out may be the same block.
  void processBlock(const uint8_t in[8], uint8_t out[8]) const;

private:
  uint64_t subkeys_[16]; // 48 bits each, in the order of use
};

} // namespace addrbook
