// ledrow.exe started as a user starts it, with the stand-in viewer.
#include "../SampleBook.h"
#include "win/LedrowProcess.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"

#include <gtest/gtest.h>

using namespace addrbook_test;
using testing_support::TempDir;
using testing_support::utf8;
using testing_support::wide;

namespace {

const char* const Master = "harbour lights";

// The tray menu's command ids of two entries of the sample book: counted
// from 40050 in tree order, folders first, over Home, Living room, Office,
// Servers, Backup, Mail server, Accounts and Reception.
const WPARAM AlphaDesk = 40058;
const WPARAM BuildFarm = 40059;

struct ProcessTest : testing::Test {
  FreshSettings settings;
  TempDir temp;
  std::string book = temp.file("Book");
  std::string record = temp.file("record.txt");

  void SetUp() override {
    addrbook::sample::writeSampleBook(book, Master);
    SetEnvironmentVariableW(L"KIV_VIEWER_RECORD", wide(record).c_str());
  }
  void TearDown() override { SetEnvironmentVariableW(L"KIV_VIEWER_RECORD", nullptr); }

  std::wstring arguments(const std::string& more = "") {
    return wide("AddressBook=" + inQuotes(book) + " ViewerPath=" + inQuotes(utf8(standinPath())) +
                " MasterPassword=" + addrbook::sample::verifier(Master) + " minimiseToTray=0 " +
                more);
  }
  // The stand-in as the viewer's "Save Connection": its exit code.
  int send(const std::string& text, const char* how = "") {
    std::string file = temp.file("send.txt");
    testing_support::writeFile(file, text);
    return sendAsViewer(file, how);
  }
  bool exists(const std::string& name) {
    return GetFileAttributesW(wide(book + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
};

} // namespace

TEST_F(ProcessTest, LaunchesEntriesIntoTheViewer) {
  LedrowProcess ledrow(arguments());
  HWND window = ledrow.window(20000);
  ASSERT_TRUE(window);
  ASSERT_TRUE(quickLaunch(ledrow.id(), window, L"alpha desk"));
  std::string got = waitForRecord(record, 10000);
  EXPECT_NE(std::string::npos,
            got.find(" -config " + inQuotes(book + "\\Alpha desk.kiv") + "\nstdin: none\n"))
      << got;

  // A protected entry: the master password first (a wrong one refused),
  // then the password on the viewer's standard input, up to its end.
  DeleteFileW(wide(record).c_str());
  ASSERT_TRUE(quickLaunch(ledrow.id(), window, L"Build farm"));
  HWND prompt = waitForWindowOf(ledrow.id(), L"Enter Master Password", L"#32770", 10000);
  ASSERT_TRUE(prompt);
  SendDlgItemMessageW(prompt, 1011, WM_SETTEXT, 0, (LPARAM)L"nope");
  testing_support::clickButton(prompt, IDOK);
  std::wstring refused;
  for (int i = 0; i < 100 && refused != L"Incorrect password."; i++, Sleep(20))
    refused = testing_support::windowText(GetDlgItem(prompt, 1010));
  SendDlgItemMessageW(prompt, 1011, WM_SETTEXT, 0, (LPARAM)wide(Master).c_str());
  testing_support::clickButton(prompt, IDOK);
  got = waitForRecord(record, 15000);
  EXPECT_EQ(L"Incorrect password.", refused);
  EXPECT_NE(std::string::npos, got.find("-console -passwd - -config")) << got;
  EXPECT_NE(std::string::npos, got.find("\nend of file: yes\n")) << got;
  EXPECT_EQ(std::string::npos, got.find("stdin: \n")) << "no password came";
}

TEST_F(ProcessTest, MissingViewerIsReportedInABox) {
  LedrowProcess ledrow(arguments("ViewerPath=" + inQuotes(temp.file("nowhere.exe"))));
  HWND window = ledrow.window(20000);
  ASSERT_TRUE(window);
  ASSERT_TRUE(quickLaunch(ledrow.id(), window, L"Alpha desk"));
  std::wstring said = closeBoxSaying(ledrow.id(), L"Unable to start Kiv Viewer: ", 10000);
  EXPECT_NE(std::wstring::npos, said.find(L"unable to launch process")) << utf8(said);
  PostMessageW(window, WM_COMMAND, AlphaDesk, 0);
  said = closeBoxSaying(ledrow.id(), L"Unable to start Kiv Viewer: ", 10000);
  EXPECT_NE(std::wstring::npos, said.find(L"unable to launch process")) << utf8(said);
  EXPECT_EQ(-1, ledrow.wait(0));
}

// The notification area's "Connect to" commands, sent as the menu would
// send them, though it was never shown.
TEST_F(ProcessTest, TrayCommandsLaunchEntriesBeforeTheMenuIsShown) {
  LedrowProcess ledrow(arguments());
  HWND window = ledrow.window(20000);
  ASSERT_TRUE(window);
  PostMessageW(window, WM_COMMAND, AlphaDesk, 0);
  std::string got = waitForRecord(record, 10000);
  EXPECT_NE(std::string::npos,
            got.find(" -config " + inQuotes(book + "\\Alpha desk.kiv") + "\nstdin: none\n"))
      << got;

  // Protected: the master password first, then kept for the next launch.
  for (bool asked : {true, false}) {
    DeleteFileW(wide(record).c_str());
    PostMessageW(window, WM_COMMAND, BuildFarm, 0);
    if (asked) {
      HWND prompt = waitForWindowOf(ledrow.id(), L"Enter Master Password", L"#32770", 10000);
      ASSERT_TRUE(prompt);
      SendDlgItemMessageW(prompt, 1011, WM_SETTEXT, 0, (LPARAM)wide(Master).c_str());
      testing_support::clickButton(prompt, IDOK);
    }
    got = waitForRecord(record, 15000);
    EXPECT_NE(std::string::npos,
              got.find("-console -passwd - -config " + inQuotes(book + "\\Build farm.kiv")))
        << got;
    EXPECT_NE(std::string::npos, got.find("\nend of file: yes\n")) << got;
    EXPECT_EQ(0, dialogCount(ledrow.id()));
  }
}

TEST_F(ProcessTest, SecondStartRaisesTheFirstAndLeaves) {
  LedrowProcess first(arguments("minimiseToTray=1 StartMinimised=1"));
  HWND window = nullptr;
  for (int i = 0; i < 400 && !window; i++, Sleep(50))
    window = FindWindowW(L"Torvane.Ostrel.AddressBook", nullptr);
  ASSERT_TRUE(window);
  EXPECT_FALSE(IsWindowVisible(window));
  LedrowProcess second(arguments());
  EXPECT_EQ(0, second.wait(20000));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(-1, first.wait(0));
}

TEST_F(ProcessTest, UnknownOptionEndsWithItsName) {
  LedrowProcess ledrow(L"-Unknown");
  EXPECT_EQ(1, ledrow.wait(20000));
  std::string said = ledrow.errorOutput();
  EXPECT_NE(std::string::npos, said.find("\nUnrecognised option: -Unknown\r\n")) << said;
}

TEST_F(ProcessTest, ConnectionsFromTheViewerBecomeEntries) {
  LedrowProcess ledrow(arguments());
  HWND window = ledrow.window(20000);
  ASSERT_TRUE(window);
  // Counted without a terminator, and with one; named from its server.
  const std::string text = "[Connection]\nHost=files.example:1\nUserName=fred\n";
  EXPECT_EQ(0, send(text, " --raw"));
  EXPECT_EQ(0, send(text));
  // A NUL inside ends the text.
  EXPECT_EQ(0, send(std::string("[Connection]\nHost=cut.example\n") + '\0' +
                        "[Connection]\nHost=other.example\n",
                    " --raw"));
  for (int i = 0; i < 200 && !exists("cut.example.kiv"); i++)
    Sleep(50);
  EXPECT_TRUE(exists("files.example-1.kiv"));
  EXPECT_TRUE(exists("files.example-1 (1).kiv"));
  EXPECT_TRUE(exists("cut.example.kiv"));
  EXPECT_FALSE(exists("other.example.kiv"));
  EXPECT_EQ(0, dialogCount(ledrow.id()));

  // Each of these is answered 0 at once, before its box names its reason.
  struct {
    std::string block;
    const wchar_t* reason;
  } bad[] = {
      {"[Connection\nHost=a\n", L"bad Section"},
      {"[Connection]\nHost\n", L"bad Name/Value pair"},
      {"[Connection]\nHost=\xC3(\n", L"Invalid UTF-8 encoding for Host"},
      {"[Connection]\nHost=" + std::string(5000, 'a') + "\n", L"Line too long"},
      {"hello, viewer", L"Not a connection file"},
      {"", L"Not a connection file"},
  };
  for (const auto& b : bad) {
    EXPECT_EQ(2, send(b.block, " --raw"));
    std::wstring says = std::wstring(L"Could not create new address book entry: ") + b.reason;
    EXPECT_EQ(says, closeBoxSaying(ledrow.id(), says, 10000).substr(0, says.size()));
  }

  // A sender looping over bad blocks: one box at most, and ledrow answers
  // every one.
  EXPECT_EQ(2, send("[Connection]\nHost\n", " --raw --times 100"));
  EXPECT_GE(1, dialogCount(ledrow.id()));
  closeBoxSaying(ledrow.id(), L"Could not create new address book entry: ", 10000);
  EXPECT_EQ(0, dialogCount(ledrow.id()));
  EXPECT_EQ(-1, ledrow.wait(0));
  EXPECT_EQ(0, send(text)) << "still listening";
  for (int i = 0; i < 200 && !exists("files.example-1 (2).kiv"); i++)
    Sleep(50);
  EXPECT_TRUE(exists("files.example-1 (2).kiv"));
}

// A connection whose password is to be protected but cannot be: the box
// names the entry it would have become and the setting in the way, and no
// entry is made.
TEST_F(ProcessTest, AConnectionThatCannotBeProtectedIsNamedWithItsReason) {
  LedrowProcess ledrow(arguments("EncryptPassword=2"));
  HWND window = ledrow.window(20000);
  ASSERT_TRUE(window);
  EXPECT_EQ(0, send("[Connection]\nHost=aUserNameb\nUserName=\nPassword=3132\n"));
  HWND prompt = waitForWindowOf(ledrow.id(), L"Enter Master Password", L"#32770", 10000);
  ASSERT_TRUE(prompt);
  SendDlgItemMessageW(prompt, 1011, WM_SETTEXT, 0, (LPARAM)wide(Master).c_str());
  testing_support::clickButton(prompt, IDOK);
  const std::wstring says = L"Could not create new address book entry: aUserNameb: Cannot "
                            L"protect this entry: the value of Host holds the name of the "
                            L"setting UserName";
  EXPECT_EQ(says, closeBoxSaying(ledrow.id(), says, 10000).substr(0, says.size()));
  EXPECT_FALSE(exists("aUserNameb.kiv"));
  EXPECT_EQ(-1, ledrow.wait(0));
}
