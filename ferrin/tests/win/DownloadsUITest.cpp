// The downloads window under the virtual display, driven by messages:
// rows, their heights and places at the screen's resolution (this program
// also runs at 144 DPI), scrolling, the keys, the action buttons, the help
// text of the empty list; then fed by the model through its proxies.
#include "ferrin/win/DownloadsDialogProxy.h"
#include "ferrin/win/DownloadsUI.h"
#include "ferrin/win/DownloadsUIIconThread.h"
#include "ferrin/win/DownloadsUIItem.h"
#include "plat/TimerManager.h"
#include "plat/win/AppInit.h"
#include "plat/win/EventManager.h"
#include "testing/EventPump.h"
#include "testing/ModalHelper.h"
#include "testing/ReturnsWithin.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"
#include "win/Placement.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using ft::DownloadsDialog;
using ft::DownloadsUI;
using namespace testing_support;

namespace {

using ferrin_test::placeOf;
using ferrin_test::px;

typedef DownloadsDialog D;

const UINT IconReady = DownloadsUI::IconThread::IconReady;

bool iconAlive(HICON icon) {
  ICONINFO info;
  if (!GetIconInfo(icon, &info))
    return false;
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return true;
}

struct Host : DownloadsUI::Host {
  void ensureShown() override { shown++; }
  void enableClear(bool e) override { clear = e; }
  void notifyFinished() override { finished++; }
  void notifyFailed() override { failed++; }
  int shown = 0, finished = 0, failed = 0;
  bool clear = true;
};

struct Requests : D::Requests {
  void clear() override { asked.push_back({0, 0}); }
  void doAction(int rowId, int action) override { asked.push_back({rowId, action}); }
  std::vector<std::pair<int, int>> asked;
};

D::ActionSet actions(std::initializer_list<int> list) {
  D::ActionSet set;
  for (int a : list)
    set.add(a);
  return set;
}

struct Window : testing::Test {
  plat::EventManager events;
  plat::TimerManager timers;
  Host host;
  Requests requests;
  HWND frame = CreateWindowExW(0, L"Static", L"Downloads test", WS_POPUP | WS_VISIBLE, 0, 0,
                               px(400), px(300), nullptr, nullptr, nullptr, nullptr);
  std::unique_ptr<DownloadsUI> list{new DownloadsUI(&host, frame, &requests, true)};

  Window() { MoveWindow(list->getHandle(), 0, 0, px(400), px(300), TRUE); }
  ~Window() override {
    list.reset();
    DestroyWindow(frame);
  }
  DownloadsUI::Item* add(int id, const char* title, bool progress = false) {
    D::Download* row = list->createItem(id);
    list->addItem(row);
    row->setText(title);
    if (progress)
      row->showProgress();
    return list->item(id);
  }
  int top(DownloadsUI::Item* row) { return placeOf(row->titleControl.getHandle()).top - px(6); }
};

} // namespace

TEST_F(Window, TheEmptyListExplainsWhatToDoAndFits) {
  UpdateWindow(list->getHandle());
  const ui::Hyperlinks::Entry* text = list->helpText().entry(list->getHandle());
  ASSERT_TRUE(text);
  std::wstring all;
  RECT client;
  GetClientRect(list->getHandle(), &client);
  for (const ui::Hyperlinks::Segment& s : text->segments) {
    all += s.text + L" ";
    EXPECT_LE(s.rect.right, client.right - px(6)) << testing_support::utf8(s.text);
    EXPECT_LE(s.rect.bottom, client.bottom);
  }
  EXPECT_NE(std::wstring::npos, all.find(L"To send files to all connected users"));
  EXPECT_EQ(0, GetWindowLongW(list->getHandle(), GWL_STYLE) & WS_TABSTOP);

  DownloadsUI viewing(&host, frame, &requests, false);
  EXPECT_NE(nullptr, strstr(viewing.emptyText(), "navigate to the Kiv Server icon"));
}

TEST_F(Window, NewRowsComeOnTopSelectedAndGrowWithTheirProgressBar) {
  DownloadsUI::Item* first = add(1, "first", true);
  EXPECT_TRUE(first->selected());
  EXPECT_EQ(px(60), first->height());
  DownloadsUI::Item* second = add(2, "second");
  EXPECT_EQ(second, list->rows().front());
  EXPECT_TRUE(second->selected());
  EXPECT_FALSE(first->selected());
  EXPECT_EQ(px(48), second->height());
  EXPECT_EQ(0, top(second));
  EXPECT_EQ(px(48), top(first));
  second->showProgress();
  EXPECT_EQ(px(60), top(first)); // moved down with it
  EXPECT_TRUE(IsWindowVisible(second->progressControl.getHandle()));
  EXPECT_NE(0, GetWindowLongW(list->getHandle(), GWL_STYLE) & WS_TABSTOP);

  // The status line never runs under the buttons.
  first->hideProgress();
  first->setActions(actions({D::Resume, D::Cancel, D::OpenContainingFolder}));
  RECT status = placeOf(first->statusControl.getHandle());
  RECT buttons = placeOf(first->button.getHandle());
  EXPECT_LE(status.right, buttons.left);

  list->removeItem(second);
  EXPECT_EQ(0, top(first));
  list->removeItem(first);
  EXPECT_FALSE(host.clear);
  EXPECT_EQ(0, GetWindowLongW(list->getHandle(), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(Window, ScrollsWhenTheRowsDoNotFit) {
  for (int i = 1; i <= 20; i++)
    add(i, ("download " + std::to_string(i)).c_str());
  HWND h = list->getHandle();
  EXPECT_NE(0, GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL);
  RECT client;
  GetClientRect(h, &client);
  int most = 20 * px(48) - client.bottom;
  EXPECT_EQ(20 * px(48), list->contentHeight());
  SendMessageW(h, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(5, list->scrollPosition());
  EXPECT_EQ(-5, top(list->rows().front()));
  for (int i = 0; i < 20; i++)
    SendMessageW(h, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(most, list->scrollPosition());
  DownloadsUI::Item* last = list->rows().back();
  EXPECT_EQ(client.bottom - px(48), top(last));
  // Rows out of sight hold no windows.
  EXPECT_FALSE(list->rows().front()->inSight());
  EXPECT_TRUE(last->inSight());

  // Up on the first row changes nothing; a row the keys select comes
  // into sight.
  SendMessageW(h, WM_KEYDOWN, VK_UP, 0);
  EXPECT_TRUE(list->rows().front()->selected());
  EXPECT_EQ(most, list->scrollPosition());
  SendMessageW(h, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_TRUE((*std::next(list->rows().begin()))->selected());
  EXPECT_EQ(px(48), list->scrollPosition());
  SendMessageW(h, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(0, list->scrollPosition());

  while (list->rows().size() > 3)
    list->removeItem(list->rows().back());
  EXPECT_EQ(0, GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(0, list->scrollPosition());
}

TEST_F(Window, EnterAndDeleteOnlyWhenOffered) {
  DownloadsUI::Item* row = add(7, "report.txt");
  HWND h = list->getHandle();
  row->setActions(actions({D::Pause, D::Cancel, D::OpenContainingFolder}));
  SendMessageW(h, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageW(h, WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_TRUE(requests.asked.empty());
  row->setActions(actions({D::Open, D::OpenContainingFolder, D::RemoveFromList}));
  SendMessageW(h, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageW(h, WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{7, D::Open}, {7, D::RemoveFromList}}),
            requests.asked);
  MSG enter = {h, WM_KEYDOWN, VK_RETURN, 0};
  EXPECT_EQ(DLGC_WANTALLKEYS, SendMessageW(h, WM_GETDLGCODE, VK_RETURN, (LPARAM)&enter));

  // Opening a file of a kind no program takes says so, in a box of its own
  // once the model's messages are through.
  plat::appInit("ferrin_window_tests", nullptr); // the box's caption
  TempDir dir;
  writeFile(dir.file("survey.kivnone"), "x");
  std::wstring said;
  ModalHelper helper;
  helper.expect(L"", [&](HWND box) {
    said = staticTexts(box);
    ModalHelper::dismiss(box);
  });
  list->openFile(dir.file("survey.kivnone").c_str());
  EXPECT_TRUE(said.empty());
  ASSERT_TRUE(pumpUntil([&] { return helper.done(); }, LongWaitMs));
  EXPECT_NE(std::wstring::npos,
            said.find(L"There is no program associated with files of that type."))
      << utf8(said);
}

TEST_F(Window, TheHoveredButtonTellsItsActionAndClicksPostIt) {
  for (int a = D::Pause; a <= D::Cancel; a++)
    EXPECT_TRUE(list->actionIcon(a, false) && list->actionIcon(a, true)) << a;
  EXPECT_TRUE(list->genericIcon() && list->failIcon());
  DownloadsUI::Item* row = add(3, "big.iso", true);
  row->setActions(actions({D::Pause, D::Cancel, D::OpenContainingFolder}));
  HWND h = list->getHandle(), button = row->button.getHandle();
  auto hoverAt = [&](int x) {
    POINT p = {x, px(8)};
    ClientToScreen(button, &p);
    SetCursorPos(p.x, p.y);
    SendMessageW(h, WM_SETCURSOR, (WPARAM)button, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  };
  hoverAt(px(20) + px(8)); // the second icon
  EXPECT_EQ(1, row->hovered());
  wchar_t tip[64] = {};
  TTTOOLINFOW info = {sizeof(info), TTF_IDISHWND, h, (UINT_PTR)button};
  info.lpszText = tip;
  SendMessageW(list->tooltip().getHandle(), TTM_GETTEXTW, 64, (LPARAM)&info);
  EXPECT_STREQ(L"Cancel", tip);
  SendMessageW(h, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{3, D::Cancel}}), requests.asked);

  // New actions: nothing is under the cursor until it moves, and a click
  // (the space bar, say) does nothing.
  row->setActions(actions({D::Resume, D::Cancel, D::OpenContainingFolder}));
  EXPECT_EQ(-1, row->hovered());
  SendMessageW(h, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
  EXPECT_EQ(1u, requests.asked.size());
  hoverAt(px(8));
  SendMessageW(h, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
  EXPECT_EQ(D::Resume, requests.asked.back().second);
}

TEST_F(Window, TheModelReachesItThroughItsProxiesWithoutWaiting) {
  ft::ShareDownloader downloader;
  DownloadsDialog model(&downloader);
  ft::DownloadsDialogProxy modelProxy(&model);
  DownloadsUI window(&host, frame, &modelProxy, true);
  model.setUI(window.proxy());
  struct Detach {
    DownloadsDialog& model;
    ~Detach() { model.setUI(nullptr); } // the window goes first
  } detach{model};
  TempDir dir;
  writeFile(dir.file("a.txt"), "a");
  D::DownloadId id(nullptr, 1);
  model.downloadStarted(id, {"a.txt"});
  model.setRootDir(id, dir.path().c_str());
  model.setIconPath(id, dir.file("a.txt").c_str());
  EXPECT_TRUE(window.rows().empty()); // nothing waited for the window
  ASSERT_TRUE(pumpUntil([&] { return !window.rows().empty() && window.rows().front()->icon(); },
                        LongWaitMs));
  DownloadsUI::Item* row = window.rows().front();
  EXPECT_EQ("a.txt", row->title());
  EXPECT_TRUE(row->progressShown());
  EXPECT_EQ(1, host.shown);

  model.downloadFailed(id, "Too many name clashes", true);
  ASSERT_TRUE(pumpUntil([&] { return host.failed == 1; }, LongWaitMs));
  EXPECT_EQ("Too many name clashes", row->status());
  EXPECT_TRUE(row->failed());

  SendMessageW(window.getHandle(), WM_KEYDOWN, VK_DELETE, 0);
  ASSERT_TRUE(pumpUntil([&] { return window.rows().empty(); }, LongWaitMs));

  // Rows removed while their icons are on the way to them: the icons are
  // destroyed when they arrive.
  const size_t rows = 3;
  for (int i = 100; i < 100 + (int)rows; i++) {
    window.addItem(window.createItem(i));
    window.item(i)->setIcon(dir.file("a.txt").c_str());
  }
  std::vector<MSG> onTheWay;
  waitUntil(
      [&] {
        MSG m;
        while (PeekMessageW(&m, window.getHandle(), IconReady, IconReady, PM_REMOVE))
          onTheWay.push_back(m);
        return onTheWay.size() >= rows;
      },
      LongWaitMs);
  ASSERT_EQ(rows, onTheWay.size());
  for (int i = 100; i < 100 + (int)rows; i++)
    window.removeItem(window.item(i));
  for (MSG& m : onTheWay) {
    DispatchMessageW(&m);
    EXPECT_FALSE(iconAlive((HICON)m.lParam));
  }
}

TEST_F(Window, AnIconReadyFromElsewhereIsNeitherShownNorDestroyed) {
  // Any process may post the message, naming any handle: here one of the
  // test's own, for a row that is there and for one that is not.
  DownloadsUI::Item* row = add(5, "a.txt");
  HICON before = row->icon();
  HICON mine = CopyIcon(list->genericIcon());
  SendMessageW(list->getHandle(), IconReady, 5, (LPARAM)mine);
  SendMessageW(list->getHandle(), IconReady, 6, (LPARAM)mine);
  EXPECT_EQ(before, row->icon());
  EXPECT_TRUE(iconAlive(mine));
  DestroyIcon(mine);
}
