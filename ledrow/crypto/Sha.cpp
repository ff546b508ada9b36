#include "ledrow/crypto/Sha.h"

#include "ledrow/crypto/Sha1.h"
#include "ledrow/crypto/Sha256.h"
#include "plat/Assert.h"

namespace crypto {

Sha::Sha(int digestBits) : digestBits_(digestBits) {
  PLAT_ASSERT(digestBits == 160 || digestBits == 224 || digestBits == 256);
  if (digestBits == 160)
    core_.reset(new Sha1);
  else
    core_.reset(new Sha256(digestBits == 224));
}

Sha::~Sha() = default;

void Sha::update(const void* data, size_t length) {
  core_->update((const uint8_t*)data, length);
}

void Sha::final(std::vector<uint8_t>& digest) {
  digest.resize(core_->digestLength());
  core_->final(digest.data());
}

void Sha::reset() {
  core_->reset();
}

} // namespace crypto
