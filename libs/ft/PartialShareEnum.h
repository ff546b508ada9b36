// Walks a local share's entries for one listing request: only entries below
// the requested directory, and everything deeper than the requested depth
// folded into one directory entry per folder, each given once.
#pragma once

#include "ft/MsgWriter.h"
#include "ft/ShareEntry.h"
#include "plat/String.h"

#include <functional>
#include <vector>

namespace ft {

class PartialShareEnum : public MsgWriter::ShareEnum {
public:
  // entries (of ShareEntry or a kind of it) is not owned and must not
  // change while the walk lasts. relName "" is the share's top; "a" and
  // "a/" name the same directory. depth 0 means no limit.
  template <typename Entry>
  PartialShareEnum(const std::vector<Entry*>& entries, size_t firstIndex, const char* relName,
                   uint32_t depth)
      : PartialShareEnum([&entries](size_t i) -> ShareEntry* { return entries[i]; },
                         entries.size(), firstIndex, relName, depth) {}

  ShareEntry* current() override;
  void next() override;

  // Index of the entry at the cursor: entries before it have been gone
  // through (sent or passed over).
  size_t position() const { return cursor; }

private:
  PartialShareEnum(std::function<ShareEntry*(size_t)> entryAt, size_t count, size_t firstIndex,
                   const char* relName, uint32_t depth);
  // Moves the cursor to the next acceptable entry, from where it is.
  void seek();
  // Whether an entry before the cursor is dir or lies inside it.
  bool seenBefore(const char* dir, size_t dirLength) const;

  std::function<ShareEntry*(size_t)> entryAt;
  size_t count;
  size_t cursor;
  plat::String relName;
  uint32_t depth;
  bool synthesized;
  ShareEntry directory;
};

} // namespace ft
