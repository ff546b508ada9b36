// Driving viewer-options pages under the virtual display: the pages in a
// modeless sheet on the test's thread, controls clicked and chosen as a
// user would, which the pages hear at once (sent, not posted).
#pragma once

#include "EntryFixture.h"
#include "plat/win/AppInit.h"
#include "ui/win/PropSheet.h"
#include "ui/win/PropertiesDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace page_driver {

struct PageTest : testing::Test {
  static void SetUpTestSuite() {
    testing::internal::CaptureStderr();
    plat::appInit("viewerconfigtests", nullptr);
    testing::internal::GetCapturedStderr();
  }
  PageTest() { entry_fixture::loadEntry(&o); }
  addrbook::CConnOptions o;
};

// The pages shown in a sheet until the end of the scope.
struct OpenSheet {
  explicit OpenSheet(const std::vector<ui::Dialog*>& pages) : sheet("Properties", pages) {
    sheet.show(nullptr, true, false);
  }
  ~OpenSheet() { sheet.close(); }
  // Selects the tab and returns its page's window.
  HWND page(int index) {
    SendMessageW(sheet.getHandle(), PSM_SETCURSEL, index, 0);
    return (HWND)SendMessageW(sheet.getHandle(), PSM_GETCURRENTPAGEHWND, 0, 0);
  }
  ui::PropSheet sheet;
};

inline HWND item(HWND page, int id) {
  return GetDlgItem(page, id);
}
inline int check(HWND page, int id) {
  return (int)SendMessageW(item(page, id), BM_GETCHECK, 0, 0);
}
inline bool enabled(HWND page, int id) {
  return IsWindowEnabled(item(page, id)) != 0;
}
inline void click(HWND page, int id) {
  SendMessageW(item(page, id), BM_CLICK, 0, 0);
}
inline int selection(HWND page, int id) {
  return (int)SendMessageW(item(page, id), CB_GETCURSEL, 0, 0);
}
// Picks a list entry as a user would: the selection, then the page told.
inline void choose(HWND page, int id, int index) {
  SendMessageW(item(page, id), CB_SETCURSEL, index, 0);
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)item(page, id));
}
// Typed text: the edit box tells its page (EN_CHANGE) at once.
inline void type(HWND page, int id, const wchar_t* text) {
  SetWindowTextW(item(page, id), text);
}
inline std::string value(const plat::ConfigParameter& p) {
  return p.getValueStr().c_str();
}

inline void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

} // namespace page_driver
