#include "os/ShellIdListArray.h"
#include "plat/Exception.h"

#include <climits>
#include <cstring>

namespace os {

static uint32_t readU32(const uint8_t* at) {
  uint32_t value;
  memcpy(&value, at, sizeof(value));
  return value;
}

ShellIdListArray::ShellIdListArray(const void* block, size_t size)
    : block_(static_cast<const uint8_t*>(block)), size_(size), count_(0) {
  if (!block_ || size_ < 4)
    throw plat::Exception("Shell IDList Array too short");
  uint32_t count = readU32(block_);
  // The offsets: one for the parent, one per item.
  uint64_t needed = 4 + ((uint64_t)count + 1) * 4;
  if (needed > (uint64_t)size_)
    throw plat::Exception("Shell IDList Array too short");
  count_ = count;
}

ItemIdList ShellIdListArray::item(uint32_t i) const {
  if (i >= count_)
    throw plat::AssertionFail("i < count()", "ShellIdListArray", __LINE__);
  return listAt(i + 1);
}

ItemIdList ShellIdListArray::listAt(uint32_t slot) const {
  uint32_t offset = readU32(block_ + 4 + (size_t)slot * 4);
  if ((uint64_t)offset >= (uint64_t)size_)
    throw plat::Exception("Shell IDList Array offset out of bounds");
  size_t left = size_ - offset;
  return ItemIdList(block_ + offset, left > (size_t)INT_MAX ? INT_MAX : (int)left);
}

} // namespace os
