// Builds protected strings the long way, from the hash and cipher alone, so
// that tests check the stored form itself rather than one function against
// its inverse.
#pragma once

#include "ledrow/crypto/Eax.h"
#include "ledrow/crypto/Sha.h"
#include "plat/String.h"

#include <string>
#include <vector>

inline std::string hexOf(const std::vector<uint8_t>& bytes) {
  return plat::String::adopt(plat::binToHex({(int)bytes.size(), bytes.data()})).c_str();
}

// withSalt false: the older form, no "x" and the key from the password alone.
inline std::string protectWithSalt(const std::string& plain, const std::string& password,
                                   const std::vector<uint8_t>& salt, bool withSalt = true) {
  crypto::Sha sha(160);
  sha.update(password.data(), password.size());
  if (withSalt)
    sha.update(salt.data(), salt.size());
  std::vector<uint8_t> key;
  sha.final(key);
  std::vector<uint8_t> blob(16 + plain.size());
  std::copy(plain.begin(), plain.end(), blob.begin() + 16);
  crypto::EaxContext ctx;
  crypto::eaxSetKey(key.data(), 16, &ctx);
  crypto::eaxEncrypt(nullptr, 0, nullptr, 0, blob.data() + 16, plain.size(), blob.data(), 16,
                     &ctx);
  crypto::eaxWipe(&ctx);
  std::string text = hexOf(blob);
  if (withSalt)
    text += "x" + hexOf(salt);
  return text;
}
