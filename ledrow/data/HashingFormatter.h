// The entry hash: SHA-1 over the names and values of every pair a write
// walks, with no separators and no section names, the signature pair
// excepted (it cannot cover itself). That is the hash a signature holds.
//
// Beside it, the layout: SHA-1 over each pair with its section and
// separators ("[section]name=value\n"), which tells apart what the entry
// hash cannot (a pair boundary moved, a line split or joined, a section
// renamed). It is never stored; it compares a file as read with the file
// the entry writes.
//
// And the split: whether the hashed text could stand for other values of
// the same names (NameSplit.h).
#pragma once

#include "ledrow/crypto/Sha.h"
#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/NameSplit.h"

namespace addrbook {

class HashingFormatter : public CConnOptions::Formatter {
public:
  HashingFormatter() : sha_(160), layout_(160) {}
  void begin(rdr::OutStream& out, bool includePassword, bool optionsOnly) override;
  void beginSection(const char* name, rdr::OutStream& out, bool includePassword) override;
  void param(const char* name, const char* value, rdr::OutStream& out) override;
  void endSection(const char* name, rdr::OutStream& out) override {}
  void end(rdr::OutStream& out) override {}

  // 40 lowercase hex digits each; the hasher then starts over.
  plat::String digestHex();
  plat::String layoutHex();
  // The first name that keeps the pairs hashed since begin from splitting
  // their hashed text one way only; false when there is none.
  bool firstClash(NameSplit::Clash* clash) const { return split_.firstClash(clash); }

private:
  crypto::Sha sha_;
  crypto::Sha layout_;
  NameSplit split_;
  std::string section_;
};

// The same feeds for pairs as they are read: name bytes, then value bytes;
// and the pair with its section for the layout.
void hashPair(crypto::Sha& sha, const char* name, const char* value);
void hashLayout(crypto::Sha& sha, const char* section, const char* name, const char* value);
// The pair that holds the signature, which neither hash covers: the
// reader keeps it apart and the writer adds it last.
bool isSignaturePair(const char* section, const char* name);
// The digest as lowercase hex; the hasher then starts over.
plat::String digestHex(crypto::Sha& sha);

} // namespace addrbook
