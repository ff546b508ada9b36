#include "ledrow/data/HashingFormatter.h"

#include <cstring>
#include <vector>

namespace addrbook {

void hashPair(crypto::Sha& sha, const char* name, const char* value) {
  sha.update(name, strlen(name));
  sha.update(value, strlen(value));
}

// A section holds no "]", a name no "=" and no value a line feed, so the
// text says where each part ends.
void hashLayout(crypto::Sha& sha, const char* section, const char* name, const char* value) {
  sha.update("[", 1);
  sha.update(section, strlen(section));
  sha.update("]", 1);
  sha.update(name, strlen(name));
  sha.update("=", 1);
  sha.update(value, strlen(value));
  sha.update("\n", 1);
}

bool isSignaturePair(const char* section, const char* name) {
  return strcmp(section, "Signature") == 0 && strcmp(name, "DotKivFileSignature") == 0;
}

plat::String digestHex(crypto::Sha& sha) {
  std::vector<uint8_t> digest;
  sha.final(digest);
  return plat::String::adopt(plat::binToHex({(int)digest.size(), digest.data()}));
}

void HashingFormatter::begin(rdr::OutStream&, bool, bool) {
  sha_.reset();
  layout_.reset();
  section_.clear();
}

void HashingFormatter::beginSection(const char* name, rdr::OutStream&, bool) { section_ = name; }

// Only the signature's own pair is passed over: a pair of that name in
// another section is an ordinary pair, hashed as the reader hashes it.
void HashingFormatter::param(const char* name, const char* value, rdr::OutStream&) {
  if (isSignaturePair(section_.c_str(), name))
    return;
  hashPair(sha_, name, value);
  hashLayout(layout_, section_.c_str(), name, value);
}

plat::String HashingFormatter::digestHex() { return addrbook::digestHex(sha_); }

plat::String HashingFormatter::layoutHex() { return addrbook::digestHex(layout_); }

} // namespace addrbook
