// The options from Monitor on: Monitor's value and the options kept from a
// file after it, whose names are whatever the file held. Their names and
// values hash as one run of text that splits in many ways (a pair folded
// into the value before it, or carved out of one, hashes the same), so a
// signature made here also holds them as lines of their own, one per pair
// as "<section>,<name>=<value>", after the password line; it opens only
// over an entry whose options from Monitor on were exactly those as read.
// Signatures without such lines (made before, or by other writers) cannot
// tell, and open as the hash alone allows.
#pragma once

#include "ledrow/data/Formatters.h"

#include <string>

namespace addrbook {

// Passes the walk on and keeps the pairs from the one named first to the
// end of its section as signature lines, each after a line feed.
class TailRecorder : public PassThroughFormatter {
public:
  TailRecorder(CConnOptions::Formatter* inner, const char* first)
      : PassThroughFormatter(inner), first_(first), recording_(false) {}
  void beginSection(const char* name, rdr::OutStream& out, bool includePassword) override;
  void param(const char* name, const char* value, rdr::OutStream& out) override;
  void endSection(const char* name, rdr::OutStream& out) override;

  const std::string& lines() const { return lines_; }

private:
  std::string first_;
  std::string section_;
  bool recording_;
  std::string lines_;
};

// Where the lines of tail, as a TailRecorder keeps them, begin in the
// plain text of a signature: at its first line that starts as tail's first
// does (its section, name and "="). npos when it holds no such line (a
// signature made before, or by another writer).
size_t findTail(const char* signature, const std::string& tail);

} // namespace addrbook
