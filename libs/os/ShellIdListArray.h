// The walk over a "Shell IDList Array" block (the shell's CIDA) as another
// program put it on the clipboard: a 32-bit count n, then n + 1 32-bit
// offsets from the block's start, the first to the parent folder's item-id
// list and the others to the items relative to it. The block comes from
// another process: counts and offsets are checked against its size (in 64
// bits) before anything is read, and every list is copied with the bounded
// walk of ItemIdList.
#pragma once

#include "os/ItemIdList.h"

#include <cstddef>
#include <cstdint>

namespace os {

class ShellIdListArray {
public:
  // Throws plat::Exception "Shell IDList Array too short" when the count or
  // its offsets do not fit in the block.
  ShellIdListArray(const void* block, size_t size);

  // The number of items (the parent not counted).
  uint32_t count() const { return count_; }
  // Throw plat::Exception "Shell IDList Array offset out of bounds" for an
  // offset outside the block, and "ITEMIDLIST buffer overrun" for a list
  // that runs past it.
  ItemIdList parent() const { return listAt(0); }
  // i < count(); i beyond it is a broken invariant.
  ItemIdList item(uint32_t i) const;

private:
  ItemIdList listAt(uint32_t slot) const;

  const uint8_t* block_;
  size_t size_;
  uint32_t count_;
};

} // namespace os
