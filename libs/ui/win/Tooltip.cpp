#include "ui/win/Tooltip.h"
#include "plat/Exception.h"
#include "plat/win/Unicode.h"

#include <commctrl.h>

namespace ui {

Tooltip::Tooltip(HWND parent, HINSTANCE instance) {
  INITCOMMONCONTROLSEX init = {sizeof(init), 0xFF};
  InitCommonControlsEx(&init);
  handle_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent,
                            nullptr, instance ? instance : GetModuleHandleW(nullptr), nullptr);
  if (!handle_)
    throw plat::SystemException("create tooltip window", (int)GetLastError());
  SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

Tooltip::~Tooltip() { DestroyWindow(handle_); }

static TTTOOLINFOW toolInfo(HWND tool, const wchar_t* text) {
  TTTOOLINFOW info = {};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(tool);
  info.uId = (UINT_PTR)tool;
  info.hinst = GetModuleHandleW(nullptr);
  info.lpszText = const_cast<wchar_t*>(text);
  return info;
}

void Tooltip::addTool(HWND tool, const char* text, int maxWidth) {
  plat::WString wtext(text);
  TTTOOLINFOW info = toolInfo(tool, wtext.c_str());
  SendMessageW(handle_, TTM_ADDTOOLW, 0, (LPARAM)&info);
  SendMessageW(handle_, TTM_POP, 0, 0);
  SendMessageW(handle_, TTM_SETMAXTIPWIDTH, 0, maxWidth);
}

void Tooltip::setInitialDelay(int ms) {
  SendMessageW(handle_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(ms, 0));
}

void Tooltip::setToolText(HWND tool, const char* text) {
  plat::WString wtext(text);
  TTTOOLINFOW info = toolInfo(tool, wtext.c_str());
  SendMessageW(handle_, TTM_UPDATETIPTEXTW, 0, (LPARAM)&info);
}

void Tooltip::removeTool(HWND tool) {
  TTTOOLINFOW info = toolInfo(tool, nullptr);
  SendMessageW(handle_, TTM_DELTOOLW, 0, (LPARAM)&info);
}

} // namespace ui
