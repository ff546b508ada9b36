#include "ledrow/data/HashingFormatter.h"

#include <cstring>
#include <vector>

namespace addrbook {

void hashPair(crypto::Sha& sha, const char* name, const char* value) {
  sha.update(name, strlen(name));
  sha.update(value, strlen(value));
}

plat::String digestHex(crypto::Sha& sha) {
  std::vector<uint8_t> digest;
  sha.final(digest);
  return plat::String::adopt(plat::binToHex({(int)digest.size(), digest.data()}));
}

void HashingFormatter::begin(rdr::OutStream&, bool, bool) { sha_.reset(); }

void HashingFormatter::param(const char* name, const char* value, rdr::OutStream&) {
  if (strcmp(name, "DotKivFileSignature") != 0)
    hashPair(sha_, name, value);
}

plat::String HashingFormatter::digestHex() { return addrbook::digestHex(sha_); }

} // namespace addrbook
