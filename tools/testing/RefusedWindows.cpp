#include "testing/RefusedWindows.h"

#include <stdexcept>

namespace testing_support {

namespace {

LRESULT CALLBACK refuse(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND)
    return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

RefusedWindows::RefusedWindows(DWORD threadId)
    : hook_(SetWindowsHookExW(WH_CBT, refuse, nullptr, threadId)) {
  if (!hook_)
    throw std::runtime_error("cannot set the window-creation hook");
}

RefusedWindows::~RefusedWindows() { UnhookWindowsHookEx(hook_); }

} // namespace testing_support
