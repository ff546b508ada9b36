// The walk over a dropped-file list (a DROPFILES block from the clipboard
// or a drop): a 20-byte header whose first 32-bit field is the offset of the
// names and whose fifth says whether they are UTF-16, then the names, each
// NUL-terminated, ended by an empty name. The block comes from another
// process, so every read stays inside it: a name that runs to the block's
// end without a terminator ends the list, as does a header that does not
// fit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace os {

class DropFileList {
public:
  enum { HeaderSize = 20 };

  DropFileList(const void* block, size_t size);

  bool isWide() const { return wide_; }
  // The next name: its first byte and its length in characters (UTF-16
  // units when wide) without the terminator; the bytes may be unaligned.
  // False at the list's end, and on every call after it.
  bool next(const uint8_t** name, size_t* length);

private:
  const uint8_t* block_;
  size_t size_;
  size_t pos_;
  bool wide_;
  bool done_;
};

} // namespace os
