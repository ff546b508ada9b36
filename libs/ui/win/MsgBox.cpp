#include "ui/win/MsgBox.h"
#include "plat/Assert.h"
#include "plat/DString.h"
#include "plat/win/AppInit.h"
#include "plat/win/Unicode.h"

namespace ui {

// The hook is per thread, so boxes on different threads do not interfere.
static thread_local MsgBoxModifier* currModifier;
static thread_local HHOOK currHookHandle;

static void removeHook() {
  UnhookWindowsHookEx(currHookHandle);
  currHookHandle = nullptr;
  currModifier = nullptr;
}

static LRESULT CALLBACK cbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (!currModifier || !currHookHandle)
    plat::assertionFailed("currModifier && currHookHandle", "win\\MsgBox", __LINE__);
  if (code == HCBT_ACTIVATE) {
    MsgBoxModifier* modifier = currModifier;
    removeHook();
    modifier->modify((HWND)wParam);
    return 0;
  }
  return CallNextHookEx(currHookHandle, code, wParam, lParam);
}

int MsgBox(HWND owner, const char* text, UINT style, const char* captionSuffix,
           MsgBoxModifier* modifier) {
  plat::DString caption;
  caption.append(plat::appInfo().about.shortProductName.c_str());
  if (captionSuffix)
    caption.appendf(": %s", captionSuffix);

  if (modifier) {
    currModifier = modifier;
    currHookHandle = SetWindowsHookExW(WH_CBT, cbtHook, nullptr, GetCurrentThreadId());
    if (!currHookHandle)
      currModifier = nullptr;
  }
  plat::WString wtext(text);
  plat::WString wcaption(caption.c_str());
  int result = MessageBoxW(owner, wtext.c_str(), wcaption.c_str(),
                           style | MB_SETFOREGROUND | MB_TOPMOST);
  if (currHookHandle)
    removeHook();
  return result;
}

} // namespace ui
