// While it lives, a thread of this process can make no window, as when the
// system has no window handles left to give: a window-creation hook on
// that thread refuses them all. The thread may be one made suspended and
// not yet started.
#pragma once

#include <windows.h>

namespace testing_support {

class RefusedWindows {
public:
  // Throws std::runtime_error when the hook cannot be set.
  explicit RefusedWindows(DWORD threadId);
  RefusedWindows(const RefusedWindows&) = delete;
  RefusedWindows& operator=(const RefusedWindows&) = delete;
  ~RefusedWindows();

private:
  HHOOK hook_;
};

} // namespace testing_support
