// kivrefusewindow.dll: a window-creation hook (WH_CBT) that kivpeer sets for
// the whole desktop. In a process whose environment names a window class
// in KIV_REFUSE_WINDOW_CLASS, windows of that class cannot be made; other
// processes and classes go on as before. So kivpeer can start ferrin with
// a clipboard watcher that cannot make its window, as when the system
// runs out of window handles, without anything in ferrin for the purpose.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK refuseWindow(int code, WPARAM wParam,
                                                                LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    wchar_t refused[256];
    wchar_t created[256];
    DWORD length = GetEnvironmentVariableW(L"KIV_REFUSE_WINDOW_CLASS", refused, 256);
    if (length && length < 256 && GetClassNameW((HWND)wParam, created, 256) &&
        lstrcmpW(refused, created) == 0)
      return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
