#include "rdr/RandomSource.h"

#include "plat/Exception.h"

#include <windows.h>

#include <wincrypt.h>

namespace rdr {

RandomSource::RandomSource() : handle_(0) {
  HCRYPTPROV provider;
  if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, 0)) {
    DWORD err = GetLastError();
    // A user who never had a key container gets one made.
    if (err != (DWORD)NTE_BAD_KEYSET)
      throw plat::SystemException("RandomStream: unable to acquire context", (int)err);
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_NEWKEYSET))
      throw plat::SystemException("RandomStream: unable to create keyset", (int)GetLastError());
  }
  handle_ = provider;
}

RandomSource::~RandomSource() {
  CryptReleaseContext((HCRYPTPROV)handle_, 0);
}

void RandomSource::fill(uint8_t* buffer, int length) {
  if (!CryptGenRandom((HCRYPTPROV)handle_, (DWORD)length, buffer))
    throw plat::SystemException("unable to CryptGenRandom", (int)GetLastError());
}

} // namespace rdr
