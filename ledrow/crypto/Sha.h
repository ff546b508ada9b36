// The hasher the address book uses for key derivation and entry hashes:
// SHA-1, SHA-224 or SHA-256 chosen by the digest size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace crypto {

class BlockHash;

class Sha {
public:
  // 160, 224 or 256; any other size is a programming error and stops the
  // program.
  explicit Sha(int digestBits);
  Sha(const Sha&) = delete;
  Sha& operator=(const Sha&) = delete;
  ~Sha();

  int digestBits() const { return digestBits_; }

  void update(const void* data, size_t length);
  // Resizes digest to digestBits / 8 bytes and writes the digest; the
  // hasher then starts a new one.
  void final(std::vector<uint8_t>& digest);
  void reset();

private:
  int digestBits_;
  std::unique_ptr<BlockHash> core_;
};

} // namespace crypto
