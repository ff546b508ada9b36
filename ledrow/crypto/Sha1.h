// SHA-1 (FIPS 180): 160-bit digests.
#pragma once

#include "ledrow/crypto/BlockHash.h"

namespace crypto {

class Sha1 : public BlockHash {
public:
  Sha1() { reset(); }
  ~Sha1() override;
  int digestLength() const override { return 20; }

protected:
  void initState() override;
  void compress(const uint8_t* block) override;
  void writeDigest(uint8_t* digest) const override;

private:
  uint32_t h_[5];
};

} // namespace crypto
