#include "testing/ClipboardText.h"

#include <windows.h>

#include <cstring>

namespace testing_support {

bool putClipboardText(const wchar_t* text) {
  size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory)
    return false;
  memcpy(GlobalLock(memory), text, bytes);
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  if (!put)
    GlobalFree(memory);
  CloseClipboard();
  return put;
}

std::wstring clipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr))
    return text;
  if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    text = (const wchar_t*)GlobalLock(memory);
    GlobalUnlock(memory);
  }
  CloseClipboard();
  return text;
}

} // namespace testing_support
