#include "OptionPages.h"
#include "plat/win/AppInit.h"
#include "plat/win/Unicode.h"
#include "testing/ModalHelper.h"
#include "testing/WindowInput.h"
#include "ui/win/AdvancedDialog.h"
#include "ui/win/CustomWindow.h"
#include "ui/win/Tooltip.h"
#include "ui/win/WindowClass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace option_pages;
using testing_support::ModalHelper;

namespace {

struct Recorder : ui::Dialog::ChangedCallback {
  int calls = 0;
  void changed(ui::Dialog*, bool) override { calls++; }
};

struct ExpertList : testing::Test {
  static void SetUpTestSuite() {
    testing::internal::CaptureStderr();
    plat::appInit("uitests", nullptr);
    testing::internal::GetCapturedStderr();
    windowClass = new ui::WindowClass(L"kiv.tests.ExpertFrame");
  }
  static void TearDownTestSuite() { delete windowClass; }

  ExpertList() : hidden("_Internal", "", "x", 0, &o), expert(&o, nullptr) {
    loadEntry(&o);
    frame.create(windowClass->atom(), "Expert", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 520, 420);
    expert.setChangedCallback(&recorder);
    open();
  }
  void open() {
    expert.createModeless(frame.getHandle());
    SetWindowPos(expert.getHandle(), nullptr, 0, 0, 480, 360, SWP_NOZORDER);
    EnableWindow(expert.getHandle(), TRUE); // as a sheet shows its page
    ShowWindow(expert.getHandle(), SW_SHOW);
    list = expert.listView();
  }

  int row(const char* name) {
    plat::WString wname(name);
    LVFINDINFOW find = {LVFI_STRING, wname.c_str()};
    return (int)SendMessageW(list, LVM_FINDITEMW, (WPARAM)-1, (LPARAM)&find);
  }
  std::wstring cell(int r, int column) {
    wchar_t text[512] = {0};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, r, (LPARAM)&item);
    return text;
  }
  LPARAM at(const char* name, int column) { return cellPoint(list, name, column); }
  void move(const char* name, int column) { SendMessageW(list, WM_MOUSEMOVE, 0, at(name, column)); }
  void click(const char* name, int column) {
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at(name, column));
    SendMessageW(list, WM_LBUTTONUP, 0, at(name, column));
  }
  // A key as the dialog's loop hands it on.
  void key(HWND target, UINT vk) {
    MSG msg = {target, WM_KEYDOWN, vk, 1};
    if (!IsDialogMessageW(expert.getHandle(), &msg))
      DispatchMessageW(&msg);
  }
  void edit(const char* name, const wchar_t* text, UINT vk) {
    click(name, 1);
    SetWindowTextW(expert.editBox(), text);
    key(expert.editBox(), vk);
  }
  std::wstring tip() {
    wchar_t text[1024] = {0};
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = list;
    tool.uId = (UINT_PTR)list;
    tool.lpszText = text;
    SendMessageW(expert.tooltip()->getHandle(), TTM_GETTEXTW, 1024, (LPARAM)&tool);
    return text;
  }
  std::string value(plat::ConfigParameter& p) { return p.getValueStr().c_str(); }

  static ui::WindowClass* windowClass;
  Options o;
  plat::StringParameter hidden;
  ui::CustomWindow frame;
  Recorder recorder;
  ui::AdvancedDialog expert;
  HWND list = nullptr;
};

ui::WindowClass* ExpertList::windowClass;

} // namespace

TEST_F(ExpertList, ListsEveryShownParameterByNameAndIsMadeAgainWhole) {
  for (int round = 0; round < 2; round++) {
    int count = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    std::vector<std::wstring> names;
    for (int i = 0; i < count; i++)
      names.push_back(cell(i, 0));
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(L"AcceptBell", names[0]);
    EXPECT_EQ(L"AutoReconnect", names[1]);
    EXPECT_EQ(L"AutoSelect", names[2]);
    EXPECT_EQ(38, count) << "every option but the binary IdHash; no _Internal";
    EXPECT_EQ(-1, row("IdHash"));
    EXPECT_EQ(-1, row("_Internal"));
    EXPECT_EQ(L"True", cell(row("AcceptBell"), 1));
    EXPECT_EQ(L"PreferOn", cell(row("Encryption"), 1));
    EXPECT_EQ(L"20", cell(row("PointerEventInterval"), 1));
    // The page made again, as a sheet's page set switched back makes it.
    expert.end(false);
    EXPECT_EQ(nullptr, expert.editBox());
    open();
  }
  edit("ProxyServer", L"relay.example.org", VK_RETURN);
  EXPECT_EQ("relay.example.org", value(o.proxyServer));
}

TEST_F(ExpertList, ReturnWritesEscapeAndScrollingAbandon) {
  edit("ProxyServer", L"gateway.example.org", VK_RETURN);
  EXPECT_EQ("gateway.example.org", value(o.proxyServer));
  EXPECT_EQ(L"gateway.example.org", cell(row("ProxyServer"), 1));
  EXPECT_FALSE(IsWindowVisible(expert.editBox()));
  EXPECT_EQ(nullptr, expert.editedParameter());
  EXPECT_EQ(1, recorder.calls);

  edit("Monitor", L"\\\\.\\DISPLAY2", VK_ESCAPE);
  EXPECT_EQ("", value(o.monitor));
  click("Monitor", 1);
  SetWindowTextW(expert.editBox(), L"\\\\.\\DISPLAY3");
  SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_FALSE(IsWindowVisible(expert.editBox()));
  EXPECT_EQ("", value(o.monitor));
  // Opened and left without a change: nothing written.
  click("Scaling", 1);
  click("Monitor", 0);
  EXPECT_EQ(1, recorder.calls);

  // A Bool from its list.
  click("Shared", 1);
  HWND choices = expert.dropDownList();
  ASSERT_TRUE(IsWindowVisible(choices));
  ASSERT_EQ(2, SendMessageW(choices, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(1, SendMessageW(choices, CB_GETCURSEL, 0, 0)); // "True"
  SendMessageW(choices, CB_SETCURSEL, 0, 0);
  SendMessageW(expert.getHandle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(choices), CBN_SELENDOK),
               (LPARAM)choices);
  EXPECT_FALSE(o.shared.getValue());
  EXPECT_EQ(50, o.shared.getPriority());
  EXPECT_EQ(L"False", cell(row("Shared"), 1));
}

TEST_F(ExpertList, ARefusedValueIsReportedAndTheValueInForceShown) {
  std::wstring message;
  ModalHelper helper;
  helper.expect(L"Ostrel Toolkit Tests", [&](HWND box) {
    message = testing_support::staticTexts(box);
    ModalHelper::dismiss(box);
  });
  edit("PointerEventInterval", L"abc", VK_RETURN);
  EXPECT_EQ(20, o.pointerEventInterval.getValue());
  EXPECT_EQ(L"20", cell(row("PointerEventInterval"), 1));
  EXPECT_NE(std::wstring::npos,
            message.find(L"\"abc\" is not a valid value for PointerEventInterval"));
}

TEST_F(ExpertList, PolicyRowsAreGreyAndClosed) {
  o.acceptBell.setParam("0", 0);
  expert.onShow();
  click("AcceptBell", 1);
  EXPECT_EQ(nullptr, expert.editedParameter());
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at("AcceptBell", 0));
  EXPECT_EQ(nullptr, expert.editedParameter());

  auto drawn = [&](const char* name, COLORREF* colour) {
    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.hdr = {list, ui::AdvancedDialog::ListId, (UINT)NM_CUSTOMDRAW};
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.lItemlParam = (LPARAM)name;
    draw.clrText = RGB(0, 0, 0);
    SendMessageW(expert.getHandle(), WM_NOTIFY, ui::AdvancedDialog::ListId, (LPARAM)&draw);
    *colour = draw.clrText;
    return GetWindowLongPtrW(expert.getHandle(), DWLP_MSGRESULT);
  };
  COLORREF colour;
  EXPECT_EQ(CDRF_NEWFONT, drawn("AcceptBell", &colour));
  EXPECT_EQ(RGB(0x7F, 0x7F, 0x7F), colour);
  EXPECT_EQ(CDRF_DODEFAULT, drawn("AutoSelect", &colour));
  EXPECT_EQ(RGB(0, 0, 0), colour);
}

TEST_F(ExpertList, TheHotCellIsRowAndColumnAndTipsFollowIt) {
  // From a row's name to its value: the click there edits.
  move("Monitor", 0);
  EXPECT_NE(std::wstring::npos, tip().find(L"monitor to open"));
  click("Monitor", 1);
  EXPECT_EQ(&o.monitor, expert.editedParameter());
  key(expert.editBox(), VK_ESCAPE);

  std::string longValue(150, 'm');
  o.monitor.setParam(longValue.c_str(), 50);
  expert.onShow();
  move("Monitor", 1);
  EXPECT_EQ(std::wstring(96, L'm') + L"...", tip());
  move("Shared", 1);
  EXPECT_EQ(L"", tip()); // fits its column
}
