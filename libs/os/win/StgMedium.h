// A storage medium filled by IDataObject::GetData, released however the
// caller's use of it ends.
#pragma once

#include <objidl.h>

namespace os {

struct StgMedium {
  StgMedium() : medium() {}
  StgMedium(const StgMedium&) = delete;
  StgMedium& operator=(const StgMedium&) = delete;
  ~StgMedium() { ReleaseStgMedium(&medium); }

  STGMEDIUM* get() { return &medium; }

  STGMEDIUM medium;
};

} // namespace os
