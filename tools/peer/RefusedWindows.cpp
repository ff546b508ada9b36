#include "RefusedWindows.h"

#include "testing/ChildProcess.h"

#include <stdexcept>

namespace peer {

RefusedWindowClass::RefusedWindowClass(const std::wstring& className) : hook_(nullptr) {
  std::wstring path = testing_support::programFolder() + L"kivrefusewindow.dll";
  dll_ = LoadLibraryW(path.c_str());
  HOOKPROC refuse = dll_ ? (HOOKPROC)(void*)GetProcAddress(dll_, "refuseWindow") : nullptr;
  if (refuse)
    hook_ = SetWindowsHookExW(WH_CBT, refuse, dll_, 0);
  if (!hook_) {
    if (dll_)
      FreeLibrary(dll_);
    throw std::runtime_error("cannot set the window-creation hook");
  }
  SetEnvironmentVariableW(L"KIV_REFUSE_WINDOW_CLASS", className.c_str());
}

RefusedWindowClass::~RefusedWindowClass() {
  SetEnvironmentVariableW(L"KIV_REFUSE_WINDOW_CLASS", nullptr);
  UnhookWindowsHookEx(hook_);
  FreeLibrary(dll_);
}

} // namespace peer
