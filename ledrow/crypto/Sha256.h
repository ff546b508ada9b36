// SHA-256 and its truncated variant SHA-224 (FIPS 180): the same
// compression, different initial values and digest lengths.
#pragma once

#include "ledrow/crypto/BlockHash.h"

namespace crypto {

class Sha256 : public BlockHash {
public:
  explicit Sha256(bool sha224) : sha224_(sha224) { reset(); }
  ~Sha256() override;
  int digestLength() const override { return sha224_ ? 28 : 32; }

protected:
  void initState() override;
  void compress(const uint8_t* block) override;
  void writeDigest(uint8_t* digest) const override;

private:
  bool sha224_;
  uint32_t h_[8];
};

} // namespace crypto
