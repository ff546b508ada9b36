#include "os/DropFileList.h"

#include <cstring>

namespace os {

static uint32_t field32(const uint8_t* at) {
  uint32_t v;
  memcpy(&v, at, sizeof(v));
  return v;
}

DropFileList::DropFileList(const void* block, size_t size)
    : block_(static_cast<const uint8_t*>(block)), size_(size), pos_(0), wide_(false),
      done_(true) {
  if (!block_ || size_ < HeaderSize)
    return;
  pos_ = field32(block_);
  wide_ = field32(block_ + 16) != 0;
  done_ = false;
}

bool DropFileList::next(const uint8_t** name, size_t* length) {
  if (done_)
    return false;
  size_t unit = wide_ ? 2 : 1;
  size_t end = pos_;
  for (;; end += unit) {
    if (end > size_ || size_ - end < unit) {
      done_ = true; // no terminator inside the block
      return false;
    }
    if (block_[end] == 0 && (unit == 1 || block_[end + 1] == 0))
      break;
  }
  if (end == pos_) {
    done_ = true; // the empty name that ends the list
    return false;
  }
  *name = block_ + pos_;
  *length = (end - pos_) / unit;
  pos_ = end + unit;
  return true;
}

} // namespace os
