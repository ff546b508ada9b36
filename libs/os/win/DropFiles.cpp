#include "os/win/DropFiles.h"
#include "plat/win/Unicode.h"

#include <cstring>
#include <memory>

namespace os {

DropFiles::DropFiles(HGLOBAL block) : lock_(block), list_(lock_.get(), lock_.size()) {}

const char* DropFiles::next() {
  const uint8_t* start;
  size_t length;
  if (!list_.next(&start, &length)) {
    name_ = nullptr;
    return nullptr;
  }
  if (list_.isWide()) {
    // The names need not be aligned in the block.
    std::unique_ptr<wchar_t[]> wide(new wchar_t[length + 1]);
    memcpy(wide.get(), start, length * sizeof(wchar_t));
    wide[length] = 0;
    name_.replaceBuf(plat::W2MB(wide.get()));
  } else {
    plat::WString wide = plat::WString::adopt(
        plat::MB2W(reinterpret_cast<const char*>(start), CP_ACP, (int)length));
    name_.replaceBuf(plat::W2MB(wide.c_str()));
  }
  return name_.c_str();
}

} // namespace os
