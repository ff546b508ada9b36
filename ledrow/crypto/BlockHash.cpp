#include "ledrow/crypto/BlockHash.h"

#include "plat/WipedString.h"

#include <cstring>

namespace crypto {

BlockHash::~BlockHash() {
  plat::secureZero(block_, sizeof(block_));
}

void BlockHash::reset() {
  plat::secureZero(block_, sizeof(block_));
  used_ = 0;
  totalBytes_ = 0;
  initState();
}

void BlockHash::update(const uint8_t* data, size_t length) {
  // An empty message may come as a null pointer, which memcpy must not see.
  if (length == 0)
    return;
  totalBytes_ += length;
  if (used_) {
    size_t n = BlockSize - used_;
    if (n > length)
      n = length;
    memcpy(block_ + used_, data, n);
    used_ += n;
    data += n;
    length -= n;
    if (used_ < BlockSize)
      return;
    compress(block_);
    used_ = 0;
  }
  for (; length >= BlockSize; data += BlockSize, length -= BlockSize)
    compress(data);
  memcpy(block_, data, length);
  used_ = length;
}

void BlockHash::final(uint8_t* digest) {
  uint64_t bits = totalBytes_ * 8;
  block_[used_++] = 0x80;
  // No room for the length: it goes into a block of its own.
  if (used_ > BlockSize - 8) {
    memset(block_ + used_, 0, BlockSize - used_);
    compress(block_);
    used_ = 0;
  }
  memset(block_ + used_, 0, BlockSize - 8 - used_);
  storeBE32(block_ + BlockSize - 8, (uint32_t)(bits >> 32));
  storeBE32(block_ + BlockSize - 4, (uint32_t)bits);
  compress(block_);
  writeDigest(digest);
  reset();
}

} // namespace crypto
