#include "TestDialogs.h"
#include "ui/win/ComboBoxEx.h"
#include "ui/win/CustomWindow.h"
#include "ui/win/Font.h"
#include "ui/win/Overlay.h"
#include "ui/win/ResizeGrip.h"
#include "ui/win/SubclassWindow.h"
#include "ui/win/SystemImageList.h"
#include "ui/win/Tooltip.h"
#include "ui/win/WindowClass.h"

#include <gtest/gtest.h>

using namespace ui;

namespace {

struct Controls : testing::Test {
  static void SetUpTestSuite() { windowClass = new WindowClass(L"kiv.tests.Frame"); }
  static void TearDownTestSuite() { delete windowClass; }
  void SetUp() override {
    frame.create(windowClass->atom(), "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300);
  }
  HWND child(const wchar_t* cls, int x, int y, int w, int h, DWORD style = 0) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                           frame.getHandle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  static RECT inFrame(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), (POINT*)&r, 2);
    return r;
  }
  static WindowClass* windowClass;
  CustomWindow frame;
};

WindowClass* Controls::windowClass;

} // namespace

TEST_F(Controls, LockedControlsStayDisabled) {
  Button button;
  button.wrap(child(L"Button", 0, 0, 80, 24));
  Widget* widget = &button;
  struct Row {
    bool wanted, locked, enabled;
  } table[] = {{true, false, true}, {true, true, false}, {false, true, false}, {false, false, false}};
  for (const Row& row : table) {
    widget->setLocked(row.locked);
    button.setEnabled(row.wanted);
    EXPECT_EQ(row.enabled, IsWindowEnabled(button.getHandle()) != 0)
        << row.wanted << " " << row.locked;
  }
  button.setEnabled(true);
  widget->setLocked(true);
  EXPECT_FALSE(IsWindowEnabled(button.getHandle()));
  widget->setLocked(false); // wanted enabled all along
  EXPECT_TRUE(IsWindowEnabled(button.getHandle()));
}

TEST_F(Controls, ComboBoxTextGoesThroughTheItems) {
  ComboBoxEx combo;
  combo.create("", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 0, 0, 200, 150, frame.getHandle());
  combo.setImageList(systemImageList(true));
  EXPECT_EQ(0, combo.addItem("Ask every time", 0));
  EXPECT_EQ(1, combo.addItem("Desktop", 1));
  EXPECT_EQ(2, combo.addItem("D\xc3\xa9p\xc3\xb4t", 1));
  ComboBoxWidget* widget = &combo;
  widget->setText("desk");
  EXPECT_EQ(1, combo.getCurSel());
  EXPECT_STREQ("Desktop", widget->getText());
  widget->setText("D\xc3\xa9p");
  EXPECT_STREQ("D\xc3\xa9p\xc3\xb4t", widget->getText());
  widget->setText("Documents");
  EXPECT_EQ(-1, combo.getCurSel());
  EXPECT_STREQ("", widget->getText());
  combo.clear();
  EXPECT_EQ(0, combo.itemCount());
}

TEST_F(Controls, OverlaySitsOnItsAnchorAndPaintsItself) {
  HWND target = child(L"Edit", 50, 40, 100, 24);
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TILE));
  Overlay overlay(icon, OnBottomRight, 2, 2);
  ASSERT_EQ(GetSystemMetrics(SM_CXICON), overlay.iconWidth());
  overlay.attach(target);
  int iw = overlay.iconWidth(), ih = overlay.iconHeight();
  RECT at = inFrame(overlay.getHandle());
  EXPECT_EQ(50 + 100 - iw / 2 - 2, at.left);
  EXPECT_EQ(40 + 24 - ih / 2 - 2, at.top);
  EXPECT_EQ(iw, at.right - at.left);
  EXPECT_EQ(SubclassWindow::subclassedBy(overlay.getHandle()) != nullptr, true);

  SetWindowPos(target, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageW(overlay.getHandle(), WM_USER, 0, 0);
  EXPECT_EQ(10 + 100 - iw / 2 - 2, inFrame(overlay.getHandle()).left);
  EXPECT_EQ(1, SendMessageW(overlay.getHandle(), WM_ERASEBKGND, 0, 0));
  overlay.setVisible(false);
  EXPECT_FALSE(IsWindowVisible(overlay.getHandle()));
  UpdateWindow(frame.getHandle());
}

TEST_F(Controls, ResizeGripIsTheLowerRightTriangleInTheCorner) {
  ResizeGrip grip;
  grip.create(frame.getHandle());
  int w = GetSystemMetrics(SM_CXVSCROLL), h = GetSystemMetrics(SM_CYHSCROLL);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(grip.getHandle(), region));
  EXPECT_FALSE(PtInRegion(region, w - 1, 0));
  EXPECT_TRUE(PtInRegion(region, w - 1, 1));
  EXPECT_FALSE(PtInRegion(region, 0, h - 1));
  EXPECT_TRUE(PtInRegion(region, 1, h - 1));
  EXPECT_FALSE(PtInRegion(region, w / 2 - 1, h / 2 - 1));
  DeleteObject(region);

  RECT client;
  GetClientRect(frame.getHandle(), &client);
  RECT at = inFrame(grip.getHandle());
  EXPECT_EQ(client.right, at.right);
  EXPECT_EQ(client.bottom, at.bottom);
  ShowWindow(frame.getHandle(), SW_MAXIMIZE);
  grip.reposition();
  EXPECT_FALSE(IsWindowVisible(grip.getHandle()));
  ShowWindow(frame.getHandle(), SW_RESTORE);
  grip.reposition();
  EXPECT_TRUE(IsWindowVisible(grip.getHandle()));
}

TEST_F(Controls, TooltipLayerOnASubclassedControlSurvivesOurUnsubclass) {
  HWND tool = child(L"Button", 0, 0, 80, 24);
  struct PassOn : SubclassWindow::SubclassProcCallback {
    LRESULT subclassProc(HWND h, UINT m, WPARAM w, LPARAM l) override {
      return SubclassWindow::callOriginalProc(h, m, w, l);
    }
  } passOn;
  SubclassWindow ours(&passOn);
  ours.subclass(tool);
  Tooltip tooltip(frame.getHandle());
  tooltip.addTool(tool, "Where downloaded files are saved", 300);
  EXPECT_EQ(300, SendMessageW(tooltip.getHandle(), TTM_GETMAXTIPWIDTH, 0, 0));
  EXPECT_EQ(1, SendMessageW(tooltip.getHandle(), TTM_GETTOOLCOUNT, 0, 0));
  EXPECT_TRUE(GetWindowLongW(tooltip.getHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST);

  LONG_PTR layered = GetWindowLongPtrW(tool, GWLP_WNDPROC);
  ours.unsubclass(tool);
  EXPECT_EQ(layered, GetWindowLongPtrW(tool, GWLP_WNDPROC));
  EXPECT_NE(0, SendMessageW(tool, WM_GETDLGCODE, 0, 0)); // still reaches the button
}

TEST(Font, SettingFromItsOwnHandleCopiesALiveFont) {
  LOGFONTW description = {};
  description.lfHeight = -13;
  lstrcpyW(description.lfFaceName, L"Tahoma");
  Font font(CreateFontIndirectW(&description), false);
  HFONT first = font.handle();
  font.set(font.handle(), true);
  LOGFONTW copied;
  ASSERT_NE(0, GetObjectW(font.handle(), sizeof(copied), &copied));
  EXPECT_EQ(-13, copied.lfHeight);
  EXPECT_NE(first, font.handle());
  font.set(font.handle(), false); // adopting what it holds keeps it
  EXPECT_NE(0, GetObjectW(font.handle(), sizeof(copied), &copied));
}

namespace {
int lookups;
DWORD_PTR WINAPI countingLookup(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT flags) {
  lookups++;
  return flags & SHGFI_SMALLICON ? 0x51 : 0x1a;
}
DWORD_PTR WINAPI failingLookup(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT) { return 0; }
} // namespace

TEST(SystemImageList, EachSizeIsAskedForOnce) {
  SystemImageCache cache(countingLookup);
  EXPECT_EQ((HIMAGELIST)0x1a, cache.get(false));
  EXPECT_EQ((HIMAGELIST)0x51, cache.get(true));
  EXPECT_EQ((HIMAGELIST)0x51, cache.get(true));
  EXPECT_EQ((HIMAGELIST)0x1a, cache.get(false));
  EXPECT_EQ(2, lookups);

  SystemImageCache failing(failingLookup);
  try {
    failing.get(true);
    ADD_FAILURE();
  } catch (const plat::Exception& e) {
    EXPECT_STREQ("systemImageList failed", e.str());
  }
  EXPECT_NE(nullptr, systemImageList(true));
  EXPECT_NE(systemImageList(true), systemImageList(false));
}
