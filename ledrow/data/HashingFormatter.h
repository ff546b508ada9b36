// The entry hash: SHA-1 over the names and values of every pair a write
// walks, with no separators and no section names, the signature pair
// excepted (it cannot cover itself).
#pragma once

#include "ledrow/crypto/Sha.h"
#include "ledrow/data/ConnOptions.h"

namespace addrbook {

class HashingFormatter : public CConnOptions::Formatter {
public:
  HashingFormatter() : sha_(160) {}
  void begin(rdr::OutStream& out, bool includePassword, bool optionsOnly) override;
  void beginSection(const char* name, rdr::OutStream& out, bool includePassword) override {}
  void param(const char* name, const char* value, rdr::OutStream& out) override;
  void endSection(const char* name, rdr::OutStream& out) override {}
  void end(rdr::OutStream& out) override {}

  // 40 lowercase hex digits; the hasher then starts over.
  plat::String digestHex();

private:
  crypto::Sha sha_;
};

// The same feed for pairs as they are read: name bytes, then value bytes.
void hashPair(crypto::Sha& sha, const char* name, const char* value);
// The digest as lowercase hex; the hasher then starts over.
plat::String digestHex(crypto::Sha& sha);

} // namespace addrbook
