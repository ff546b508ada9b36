// The main window over a book on disk, driven by messages in this process.
#include "win/BookScene.h"
#include "win/LedrowProcess.h"
#include "ledrow/app/CommandLine.h"
#include "ledrow/app/win/AppMain.h"
#include "ledrow/app/win/AppMessages.h"
#include "ledrow/app/win/MainWindow.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/book/TreeLeaf.h"
#include "plat/Configuration.h"
#include "plat/String.h"
#include "testing/ModalHelper.h"
#include "testing/WindowInput.h"
#include "ui/win/HandlerFailure.h"
#include "ui/win/WindowClass.h"

#include <gtest/gtest.h>

#include <thread>

using namespace addrbook;
using namespace addrbook_test;
using testing_support::ModalHelper;
using testing_support::utf8;
using testing_support::wide;

namespace {

std::vector<std::string> itemTexts(HMENU menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
    texts.push_back(utf8(text));
  }
  return texts;
}

HMENU connectMenu(MainWindow& window) { return GetSubMenu(window.trayPopup(), 1); }

std::wstring statusText(MainWindow& window, int part) {
  wchar_t text[128] = {};
  SendMessageW(window.statusBarWindow(), SB_GETTEXTW, part, (LPARAM)text);
  return text;
}

RECT rectOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r;
}

} // namespace

TEST(MainWindow, TrayMenuAndStatusFollowTheBook) {
  BookScene scene;
  MainWindow window(nullptr);
  window.dialog().loadTree();
  // One top folder: its children are the menu.
  EXPECT_EQ((std::vector<std::string>{"Home", "Office", "Alpha desk", "Build farm"}),
            itemTexts(connectMenu(window)));
  EXPECT_EQ((std::vector<std::string>{"Living room"}),
            itemTexts(GetSubMenu(connectMenu(window), 0)));
  // Ids count over folders and entries alike, in tree order.
  ASSERT_EQ(7u, window.trayEntries().size());
  EXPECT_STREQ("Living room", window.trayEntries().at(ID_FIRST_ENTRY + 1)->getName());
  EXPECT_STREQ("Build farm", window.trayEntries().rbegin()->second->getName());
  EXPECT_EQ(L"7 entries", statusText(window, 0));
  EXPECT_EQ(L"Master Password: Required", statusText(window, 1));

  // Two top folders are listed as themselves.
  std::string second = scene.temp.file("Second");
  CreateDirectoryW(wide(second).c_str(), nullptr);
  sample::writeEntry(second + "\\Only.kiv", "only.example");
  scene.set(addressBook, (scene.root + "," + second).c_str());
  window.dialog().loadTree();
  EXPECT_EQ((std::vector<std::string>{"Book", "Second"}), itemTexts(connectMenu(window)));
  scene.set(addressBook, second.c_str());
  window.dialog().loadTree();
  EXPECT_EQ(L"1 entry", statusText(window, 0));
}

TEST(MainWindow, HidesInTheTrayOnlyWhileTheIconIsThere) {
  BookScene scene;
  scene.set(minimiseToTray, "1");
  MainWindow window(nullptr);
  HWND hwnd = window.getHandle();
  window.showAndRaise();
  ASSERT_TRUE(window.trayIconAdded()) << "the shell took no icon";
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  // A double click shows it again; the button-up after it opens nothing
  // (a popup would be dismissed and reported by the helper).
  ModalHelper helper;
  SendMessageW(hwnd, WM_APP_TRAY, 0, WM_LBUTTONDBLCLK);
  SendMessageW(hwnd, WM_APP_TRAY, 0, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(helper.problems().empty());

  // After the shell restarts the icon comes back only while it is wanted.
  SendMessageW(hwnd, taskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(window.trayIconAdded());
  scene.set(minimiseToTray, "0");
  SendMessageW(hwnd, taskbarCreatedMessage(), 0, 0);
  EXPECT_FALSE(window.trayIconAdded());
  scene.set(minimiseToTray, "1");
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsWindowVisible(hwnd)) << "hidden without an icon to bring it back";
}

TEST(MainWindow, GeometryIsKeptOnScreenAndSavedUnminimised) {
  BookScene scene;
  scene.set(geometry, "640x480");
  {
    MainWindow window(nullptr);
    RECT r = rectOf(window.getHandle());
    EXPECT_EQ(640, r.right - r.left);
    EXPECT_EQ(100, r.left);
    EXPECT_EQ(100, r.top);
  }
  scene.set(geometry, "500x400+6000+-3000");
  MainWindow window(nullptr);
  RECT r = rectOf(window.getHandle());
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(500, r.right - r.left);
  EXPECT_EQ(work.right, r.right);
  EXPECT_EQ(work.top, r.top);

  window.showAndRaise();
  ShowWindow(window.getHandle(), SW_MINIMIZE);
  SendMessageW(window.getHandle(), WM_CLOSE, 0, 0);
  pump(50); // the WM_QUIT of the close
  plat::String saved = plat::String::adopt(settingsKey().getValue("geometry"));
  char expected[64];
  snprintf(expected, sizeof(expected), "500x400+%ld+%ld", r.left, r.top);
  EXPECT_STREQ(expected, saved.c_str());
}

// A connection that arrives while the master-password prompt of a launch
// is open is answered at once but added only once the launch is done: the
// reload that follows an add frees the nodes the launch is using.
TEST(MainWindow, ConnectionsWaitWhileALaunchHoldsTheBook) {
  BookScene scene;
  std::string record = scene.temp.file("record.txt");
  SetEnvironmentVariableW(L"KIV_VIEWER_RECORD", wide(record).c_str());
  scene.set(viewerPath, utf8(standinPath()).c_str());
  MainWindow window(nullptr);
  window.dialog().loadTree();
  std::string added = scene.path("files.example-1.kiv");

  LRESULT answers[2] = {};
  bool addedDuringPrompt = true;
  ModalHelper helper;
  helper.expect(L"Enter Master Password", [&](HWND prompt) {
    for (LRESULT& answer : answers) {
      std::string text = "[Connection]\nHost=files.example:1\n";
      COPYDATASTRUCT data = {0, (DWORD)text.size() + 1, &text[0]};
      answer = SendMessageW(window.getHandle(), WM_COPYDATA, 0, (LPARAM)&data);
    }
    Sleep(200);
    addedDuringPrompt = GetFileAttributesW(wide(added).c_str()) != INVALID_FILE_ATTRIBUTES;
    SetDlgItemTextW(prompt, 1011, wide(Master).c_str());
    testing_support::clickButton(prompt, IDOK);
  });
  window.dialog().launchEntry(findEntry(window.dialog(), "Mail server"));
  EXPECT_EQ(1, answers[0]);
  EXPECT_EQ(1, answers[1]);
  EXPECT_FALSE(addedDuringPrompt);
  EXPECT_NE(std::string::npos,
            waitForRecord(record, 10000).find(inQuotes(scene.path("Office\\Servers\\Mail server.kiv"))));

  // Both arrive, in turn, once the book is free.
  pump(500);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(wide(added).c_str()));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES,
            GetFileAttributesW(wide(scene.path("files.example-1 (1).kiv")).c_str()));
  EXPECT_EQ(L"9 entries", statusText(window, 0));
  SetEnvironmentVariableW(L"KIV_VIEWER_RECORD", nullptr);
}

// A failure that escapes a handler ends the program's loop with it, after
// the dispatch or the wait that ran the handler; it never passes through
// the system's code.
TEST(MainWindow, AHandlersFailureEndsTheLoop) {
  BookScene scene;
  struct Failing : ui::CustomWindow::WndProcCallback {
    LRESULT handle(ui::CustomWindow*, HWND hwnd, UINT message, WPARAM wParam,
                   LPARAM lParam) override {
      if (message == WM_APP)
        throw plat::Exception("handler failed");
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
  } failing;
  static ui::WindowClass cls(L"kiv.tests.Failing");
  ui::CustomWindow window(nullptr, &failing);
  window.create(cls.atom(), "failing", WS_OVERLAPPED, 0, 0, 100, 100);
  ui::carryHandlerFailures(true);
  auto loopFails = [] {
    try {
      runMessageLoop();
    } catch (const plat::Exception& e) {
      return std::string(e.str());
    }
    return std::string("the loop ended without it");
  };
  // Posted: after the dispatch. A WM_QUIT behind it must not end the loop
  // first.
  PostMessageW(window.getHandle(), WM_APP, 0, 0);
  PostQuitMessage(0);
  EXPECT_EQ("handler failed", loopFails());
  ui::stopCarryingHandlerFailures();
  // Sent from another thread, as another program sends: during the wait.
  ui::carryHandlerFailures(true);
  HWND target = window.getHandle();
  std::thread sender([target] {
    DWORD_PTR ignored;
    SendMessageTimeoutW(target, WM_APP, 0, 0, SMTO_NORMAL, 5000, &ignored);
    PostMessageW(target, WM_QUIT, 0, 0);
  });
  EXPECT_EQ("handler failed", loopFails());
  sender.join();
  ui::stopCarryingHandlerFailures();
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "a WM_QUIT left";
}

TEST(MainWindow, UsageNamesEveryLogWriter) {
  std::string usage = usageText("banner", false, plat::Configuration::global());
  const std::string heading = "\nLog names:\n  ";
  size_t start = usage.find(heading);
  ASSERT_NE(std::string::npos, start);
  start += heading.size();
  std::string names = ", " + usage.substr(start, usage.find('\n', start) - start) + ",";
  for (const char* writer : {"Options", "MainDialog", "RegPolicy", "Printer", "PropertiesDialog",
                             "PropSheet", "AboutDialog"})
    EXPECT_NE(std::string::npos, names.find(std::string(", ") + writer + ",")) << writer;
}
