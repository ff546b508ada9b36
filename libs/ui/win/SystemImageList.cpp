#include "ui/win/SystemImageList.h"
#include "plat/Exception.h"

namespace ui {

HIMAGELIST SystemImageCache::get(bool small) {
  plat::Lock l(lock_);
  HIMAGELIST& list = lists_[small ? 1 : 0];
  if (!list) {
    SHFILEINFOW info = {};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | (small ? SHGFI_SMALLICON : 0);
    list = (HIMAGELIST)lookup_(L".txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), flags);
    if (!list)
      throw plat::Exception("systemImageList failed");
  }
  return list;
}

HIMAGELIST systemImageList(bool small) {
  static SystemImageCache* cache = new SystemImageCache(SHGetFileInfoW);
  return cache->get(small);
}

} // namespace ui
