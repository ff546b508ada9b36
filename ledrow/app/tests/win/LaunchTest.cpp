// Starting the stand-in viewer on entries of a book, in this process.
#include "win/BookScene.h"
#include "win/LedrowProcess.h"
#include "ledrow/app/win/ChildProcess.h"
#include "ledrow/app/win/MainWindow.h"
#include "ledrow/app/win/QuickLaunchDlg.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "plat/String.h"
#include "rdr/MemOutStream.h"
#include "testing/ModalHelper.h"
#include "testing/WindowInput.h"

#include <gtest/gtest.h>

using namespace addrbook;
using namespace addrbook_test;
using testing_support::ModalHelper;
using testing_support::utf8;
using testing_support::wide;

namespace {

struct LaunchTest : testing::Test {
  BookScene scene;
  std::string record = scene.temp.file("record.txt");
  std::unique_ptr<MainWindow> window;

  void SetUp() override {
    SetEnvironmentVariableW(L"KIV_VIEWER_RECORD", wide(record).c_str());
    scene.set(viewerPath, utf8(standinPath()).c_str());
    window.reset(new MainWindow(nullptr));
    window->dialog().loadTree();
  }
  void TearDown() override { SetEnvironmentVariableW(L"KIV_VIEWER_RECORD", nullptr); }

  TreeLeaf* entry(const char* name) { return findEntry(window->dialog(), name); }
  std::string launched() { return waitForRecord(record, 10000); }
  std::string expectedStart() { return "command line: " + inQuotes(utf8(standinPath())) + " "; }
};

std::string hexOf(const ZeroingBytes& bytes) {
  return plat::String::adopt(plat::binToHex({bytes.length(), bytes.data()})).c_str();
}

} // namespace

TEST_F(LaunchTest, PlainEntryStartsTheViewerOnItsFile) {
  window->dialog().launchEntry(entry("Alpha desk"));
  EXPECT_EQ(expectedStart() + " -config " + inQuotes(scene.path("Alpha desk.kiv")) +
                "\nstdin: none\nend of file: no\n",
            launched());
}

TEST_F(LaunchTest, ProtectedEntryHandsItsPasswordThroughTheViewersInput) {
  ModalHelper helper;
  helper.expect(L"Enter Master Password", [](HWND prompt) {
    SetDlgItemTextW(prompt, 1011, L"wrong guess");
    testing_support::clickButton(prompt, IDOK);
    for (int i = 0; i < 100 && testing_support::windowText(GetDlgItem(prompt, 1010)) !=
                                   L"Incorrect password.";
         i++)
      Sleep(20);
    EXPECT_EQ(L"Incorrect password.", testing_support::windowText(GetDlgItem(prompt, 1010)));
    SetDlgItemTextW(prompt, 1011, wide(Master).c_str());
    testing_support::clickButton(prompt, IDOK);
  });
  window->dialog().launchEntry(entry("Build farm"));
  ZeroingBytes password;
  obfuscatePassword(&password, "s3cret");
  EXPECT_EQ(expectedStart() + "-console -passwd - -config " +
                inQuotes(scene.path("Build farm.kiv")) + "\nstdin: " + hexOf(password) +
                "\nend of file: yes\n",
            launched());
  EXPECT_TRUE(helper.problems().empty());
}

TEST_F(LaunchTest, EmptyProtectedPasswordStillComesThroughAPipe) {
  sample::writeEntry(scene.path("Nothing.kiv"), "empty.example", "nobody", nullptr, Master);
  window->dialog().loadTree();
  ModalHelper helper;
  helper.expect(L"Enter Master Password", [](HWND prompt) {
    SetDlgItemTextW(prompt, 1011, wide(Master).c_str());
    testing_support::clickButton(prompt, IDOK);
  });
  window->dialog().launchEntry(entry("Nothing"));
  std::string got = launched();
  EXPECT_NE(std::string::npos, got.find("-console -passwd - -config")) << got;
  EXPECT_NE(std::string::npos, got.find("\nstdin: \nend of file: yes\n")) << got;
}

TEST_F(LaunchTest, CancelledPromptLaunchesWithoutAndCorruptEntryNotAtAll) {
  ModalHelper helper;
  helper.expect(L"Enter Master Password", ModalHelper::dismiss);
  window->dialog().launchEntry(entry("Build farm"));
  EXPECT_EQ(expectedStart() + " -config " + inQuotes(scene.path("Build farm.kiv")) +
                "\nstdin: none\nend of file: no\n",
            launched());
  DeleteFileW(wide(record).c_str());

  // Signed under another master password: it does not open with ours.
  sample::writeEntry(scene.path("Stranger.kiv"), "stranger.example", "x", "pw", "not ours");
  window->dialog().loadTree();
  std::wstring said;
  helper.expect(L"Enter Master Password", [](HWND prompt) {
    SetDlgItemTextW(prompt, 1011, wide(Master).c_str());
    testing_support::clickButton(prompt, IDOK);
  });
  helper.expect(L"", [&](HWND box) {
    said = testing_support::staticTexts(box);
    ModalHelper::dismiss(box);
  });
  window->dialog().launchEntry(entry("Stranger"));
  EXPECT_EQ(L"That address book entry appears to be corrupt.", said);
  EXPECT_EQ("", waitForRecord(record, 500));

  // Ours, but changed after it was signed: the box says it could not be
  // verified, and its password goes nowhere.
  EncryptedConfig changed;
  changed.setHost("changed.example");
  changed.setPassword("pw");
  changed.encrypt(Master);
  changed.setHost("elsewhere.example");
  rdr::MemOutStream text;
  changed.write(text, true, false, nullptr);
  FILE* file = openFile(scene.path("Changed.kiv").c_str(), "wb");
  fwrite(text.data(), 1, text.length(), file);
  fclose(file);
  window->dialog().loadTree();
  said.clear();
  helper.expect(L"", [&](HWND box) {
    said = testing_support::staticTexts(box);
    ModalHelper::dismiss(box);
  });
  window->dialog().launchEntry(entry("Changed"));
  EXPECT_EQ(wide(UnverifiedEntryText), said);
  EXPECT_EQ("", waitForRecord(record, 500));
}

TEST_F(LaunchTest, MissingViewerIsReported) {
  scene.set(viewerPath, scene.temp.file("missing.exe").c_str());
  std::wstring said;
  ModalHelper helper;
  helper.expect(L"", [&](HWND box) {
    said = testing_support::staticTexts(box);
    ModalHelper::dismiss(box);
  });
  window->dialog().launchEntry(entry("Alpha desk"));
  EXPECT_EQ(0u, said.find(L"Unable to start Kiv Viewer: unable to launch process")) << utf8(said);
}

TEST_F(LaunchTest, BareProgramNameIsLookedForBesideThisProgram) {
  ChildProcess child("kivviewer.exe", "-x");
  std::wstring self(MAX_PATH, 0);
  self.resize(GetModuleFileNameW(nullptr, &self[0], MAX_PATH));
  EXPECT_EQ(utf8(self.substr(0, self.find_last_of(L'\\'))) + "\\kivviewer.exe",
            child.applicationPath());
  EXPECT_STREQ("\"kivviewer.exe\" -x", child.commandLine().c_str());
  try {
    child.start(nullptr, false, nullptr, nullptr);
    ADD_FAILURE() << "started a program that is not there";
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(0, strncmp("unable to launch process", e.str(), 24)) << e.str();
  }
}

// Through the popup: an entry's name in any case, or anything else for
// the viewer's own command line.
TEST_F(LaunchTest, QuickLaunchTakesNamesAndServers) {
  auto typeAndEnter = [](const wchar_t* text) {
    return [text](HWND popup) {
      HWND combo = GetDlgItem(popup, 1012);
      SetWindowTextW((HWND)SendMessageW(combo, CBEM_GETEDITCONTROL, 0, 0), text);
      testing_support::clickButton(popup, IDOK);
    };
  };
  ModalHelper helper;
  helper.expect(L"", [&](HWND popup) {
    // A folder cannot be launched: the choice is undone and the popup stays.
    HWND combo = GetDlgItem(popup, 1012);
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    SendMessageW(popup, WM_COMMAND, MAKEWPARAM(1012, CBN_SELENDOK), (LPARAM)combo);
    EXPECT_EQ(-1, (int)SendMessageW(combo, CB_GETCURSEL, 0, 0));
    EXPECT_TRUE(IsWindowVisible(popup));
    typeAndEnter(L"ALPHA DESK")(popup);
  });
  window->quickLaunch().show(window->getHandle(), POINT{400, 400});
  EXPECT_NE(std::string::npos, launched().find(inQuotes(scene.path("Alpha desk.kiv"))));
  DeleteFileW(wide(record).c_str());

  helper.expect(L"", typeAndEnter(L"files.example:5901"));
  window->quickLaunch().show(window->getHandle(), POINT{400, 400});
  EXPECT_EQ(expectedStart() + "files.example:5901\nstdin: none\nend of file: no\n", launched());
  EXPECT_TRUE(helper.problems().empty());
}
