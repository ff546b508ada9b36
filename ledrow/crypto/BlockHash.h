// The Merkle-Damgard frame shared by SHA-1 and SHA-256: 64-byte blocks, a
// final 0x80 byte, zero padding and the message length in bits as a 64-bit
// big-endian number. Subclasses supply the state and the compression.
// Hashed data is often key material (a password and its salt), so buffers
// and states are cleared rather than left in freed memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace crypto {

class BlockHash {
public:
  enum { BlockSize = 64 };

  BlockHash() : used_(0), totalBytes_(0) {}
  BlockHash(const BlockHash&) = delete;
  BlockHash& operator=(const BlockHash&) = delete;
  virtual ~BlockHash();

  virtual int digestLength() const = 0;

  void reset();
  void update(const uint8_t* data, size_t length);
  // Writes digestLength() bytes, then starts over.
  void final(uint8_t* digest);

protected:
  virtual void initState() = 0;
  virtual void compress(const uint8_t* block) = 0;
  virtual void writeDigest(uint8_t* digest) const = 0;

private:
  uint8_t block_[BlockSize];
  size_t used_;
  uint64_t totalBytes_;
};

inline uint32_t loadBE32(const uint8_t* p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

inline void storeBE32(uint8_t* p, uint32_t v) {
  p[0] = (uint8_t)(v >> 24);
  p[1] = (uint8_t)(v >> 16);
  p[2] = (uint8_t)(v >> 8);
  p[3] = (uint8_t)v;
}

inline uint32_t rotl32(uint32_t x, int n) { return x << n | x >> (32 - n); }
inline uint32_t rotr32(uint32_t x, int n) { return x >> n | x << (32 - n); }

} // namespace crypto
