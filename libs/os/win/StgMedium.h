// A storage medium filled by IDataObject::GetData, released however the
// caller's use of it ends, and before the holder is filled again: a data
// object may answer with a medium the caller did not ask for, and the
// caller then asks for another form into the same holder.
#pragma once

#include <objidl.h>

namespace os {

struct StgMedium {
  StgMedium() : medium() {}
  StgMedium(const StgMedium&) = delete;
  StgMedium& operator=(const StgMedium&) = delete;
  ~StgMedium() { ReleaseStgMedium(&medium); }

  // For GetData to fill.
  STGMEDIUM* get() {
    ReleaseStgMedium(&medium);
    medium = STGMEDIUM();
    return &medium;
  }

  STGMEDIUM medium;
};

} // namespace os
