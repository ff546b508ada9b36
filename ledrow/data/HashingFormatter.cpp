#include "ledrow/data/HashingFormatter.h"
#include "ledrow/data/Formatters.h"

#include <cstring>
#include <vector>

namespace addrbook {

namespace {

// Feeds the hash in few updates: every pair of every read and of every
// save's walk passes through here, mostly in short pieces.
class Feed {
public:
  explicit Feed(crypto::Sha& sha) : sha_(sha), used_(0) {}
  ~Feed() { flush(); }
  void add(const char* text) { add(text, strlen(text)); }
  void add(const char* data, size_t length) {
    if (used_ + length > sizeof(buffer_)) {
      flush();
      if (length > sizeof(buffer_)) {
        sha_.update(data, length);
        return;
      }
    }
    memcpy(buffer_ + used_, data, length);
    used_ += length;
  }

private:
  void flush() {
    if (used_)
      sha_.update(buffer_, used_);
    used_ = 0;
  }
  crypto::Sha& sha_;
  char buffer_[256];
  size_t used_;
};

} // namespace

void hashPair(crypto::Sha& sha, const char* name, const char* value) {
  Feed feed(sha);
  feed.add(name);
  feed.add(value);
}

// A section holds no "]", a name no "=" and no value a line feed, so the
// text says where each part ends.
void hashLayout(crypto::Sha& sha, const char* section, const char* name, const char* value) {
  Feed feed(sha);
  feed.add("[", 1);
  feed.add(section);
  feed.add("]", 1);
  feed.add(name);
  feed.add("=", 1);
  feed.add(value);
  feed.add("\n", 1);
}

bool isSignaturePair(const char* section, const char* name) {
  return strcmp(section, SignatureSection) == 0 && strcmp(name, SignaturePair) == 0;
}

plat::String digestHex(crypto::Sha& sha) {
  std::vector<uint8_t> digest;
  sha.final(digest);
  return plat::String::adopt(plat::binToHex({(int)digest.size(), digest.data()}));
}

void HashingFormatter::begin(rdr::OutStream&, bool, bool) {
  sha_.reset();
  layout_.reset();
  split_.clear();
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
  split_.add(name, value);
}

plat::String HashingFormatter::digestHex() { return addrbook::digestHex(sha_); }

plat::String HashingFormatter::layoutHex() { return addrbook::digestHex(layout_); }

} // namespace addrbook
