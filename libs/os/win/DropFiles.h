// The names of a dropped-file list (CF_HDROP memory) in UTF-8. The block
// stays locked while the object lives.
#pragma once

#include "os/DropFileList.h"
#include "os/win/GlobalLockGuard.h"
#include "plat/String.h"

namespace os {

class DropFiles {
public:
  explicit DropFiles(HGLOBAL block);

  // The next name, kept until the next call; null at the end.
  const char* next();

private:
  GlobalLockGuard lock_;
  DropFileList list_;
  plat::String name_;
};

} // namespace os
