#include "testing/WindowInput.h"

namespace testing_support {

void pressKey(HWND target, UINT virtualKey) {
  UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  PostMessageW(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | (3u << 30));
}

void typeText(HWND target, const std::wstring& text) {
  for (wchar_t ch : text)
    PostMessageW(target, WM_CHAR, ch, 1);
}

void clickButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

namespace {

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK matchId(HWND window, LPARAM param) {
  Search* search = (Search*)param;
  if (GetDlgCtrlID(window) == search->id) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK collectStatic(HWND window, LPARAM param) {
  wchar_t cls[32];
  GetClassNameW(window, cls, 32);
  if (lstrcmpiW(cls, L"Static") == 0) {
    std::wstring text = windowText(window);
    if (!text.empty()) {
      std::wstring* all = (std::wstring*)param;
      if (!all->empty())
        all->append(L"\n");
      all->append(text);
    }
  }
  return TRUE;
}

} // namespace

HWND findDescendant(HWND root, int id) {
  Search search = {id, nullptr};
  EnumChildWindows(root, matchId, (LPARAM)&search); // walks every level
  return search.found;
}

std::wstring windowText(HWND window) {
  wchar_t text[1024] = {0};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, nullptr);
  text[1023] = 0;
  return text;
}

std::wstring staticTexts(HWND root) {
  std::wstring all;
  EnumChildWindows(root, collectStatic, (LPARAM)&all);
  return all;
}

} // namespace testing_support
