#include "ChooserDriver.h"
#include "os/win/ShellItem.h"
#include "plat/win/AppInit.h"
#include "testing/ModalHelper.h"
#include "testing/RecordingLogger.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace chooser_driver;
using testing_support::ModalHelper;
using testing_support::staticTexts;

namespace {

const wchar_t* const Title = L"Send Files";
const wchar_t* const BoxCaption = L"Ostrel Toolkit Tests";

struct Chooser : testing::Test {
  static void SetUpTestSuite() {
    testing::internal::CaptureStderr();
    plat::appInit("uitests", nullptr);
    testing::internal::GetCapturedStderr();
  }
  void SetUp() override {
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
      testing_support::writeFile(dir.file(name), name);
  }
  bool run(bool allowNonFileSystem = false) {
    return dialog.run(nullptr, true, "Send Files", allowNonFileSystem);
  }
  std::vector<std::string> paths() {
    std::vector<os::ItemIdList> items;
    dialog.getItems(&items);
    std::vector<std::string> result;
    for (const os::ItemIdList& item : items)
      result.push_back(plat::String::adopt(os::ShellItem(item).getParsingName()).c_str());
    return result;
  }
  void expectNoProblems(ModalHelper& helper) {
    for (const std::string& problem : helper.problems())
      ADD_FAILURE() << problem;
  }
  testing_support::TempDir dir;
  ui::GetFileOrFolderDialog dialog;
};

// Answers the question about sending a folder, keeping what it said.
void answer(ModalHelper& helper, std::wstring* said, int button) {
  helper.expect(BoxCaption, [said, button](HWND box) {
    *said = staticTexts(box);
    PostMessageW(box, WM_COMMAND, button, 0);
  });
}

// A chooser whose entire-folder button fails in its handler.
struct ThrowingChooser : ui::GetFileOrFolderDialog {
  UINT_PTR hookHandler(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                       OPENFILENAMEW* ofn) override {
    if (message == WM_COMMAND && LOWORD(wParam) == UseEntireFolder)
      throw std::runtime_error("hook refused");
    return GetFileOrFolderDialog::hookHandler(hwnd, message, wParam, lParam, ofn);
  }
};

} // namespace

TEST_F(Chooser, FilesThenAWholeFolderThenCancel) {
  std::wstring said;
  {
    ModalHelper helper;
    helper.expect(Title, [&](HWND frame) {
      openFolder(frame, dir.path());
      enter(frame, L"\"c.txt\" \"a.txt\"");
    });
    ASSERT_TRUE(run());
    expectNoProblems(helper);
  }
  EXPECT_EQ((std::vector<std::string>{dir.file("c.txt"), dir.file("a.txt")}), paths());

  {
    ModalHelper helper;
    helper.expect(Title, [&](HWND frame) {
      // Opens where the files were chosen.
      said = currentFolder(frame);
      useEntireFolder(frame);
    });
    answer(helper, &said, IDYES);
    ASSERT_TRUE(run());
    expectNoProblems(helper);
  }
  EXPECT_TRUE(dialog.folderChosen());
  std::string name = dir.path().substr(dir.path().rfind('\\') + 1);
  EXPECT_NE(std::wstring::npos, said.find(L"Do you want to send " + testing_support::wide(name) + L"?"))
      << testing_support::utf8(said);
  EXPECT_EQ((std::vector<std::string>{dir.path()}), paths());

  std::wstring opened;
  for (int i = 0; i < 2; i++) {
    ModalHelper helper;
    helper.expect(Title, [&](HWND frame) {
      waitFor([&] { return !currentFolder(frame).empty(); });
      opened = currentFolder(frame);
      ModalHelper::dismiss(frame);
    });
    EXPECT_FALSE(run());
    expectNoProblems(helper);
    // After the folder was sent, and again after the cancel, it opens there.
    EXPECT_EQ(0, lstrcmpiW(testing_support::wide(dir.path()).c_str(), opened.c_str()))
        << testing_support::utf8(opened);
  }
}

TEST_F(Chooser, TheDesktopAndPlacesOutsideTheFileSystem) {
  std::wstring said;
  {
    ModalHelper helper;
    helper.expect(Title, [&](HWND frame) {
      EXPECT_TRUE(lookIn(frame, 0));
      useEntireFolder(frame);
    });
    answer(helper, &said, IDYES);
    ASSERT_TRUE(run());
    expectNoProblems(helper);
  }
  // The Desktop's list is empty, and still a choice.
  std::vector<os::ItemIdList> items;
  dialog.getItems(&items);
  ASSERT_EQ(1u, items.size());
  EXPECT_TRUE(items[0].isEmpty());
  EXPECT_NE(std::wstring::npos, said.find(L"Do you want to send ")) << testing_support::utf8(said);

  // My Computer has no folder on disk.
  {
    ModalHelper helper;
    helper.expect(Title, [&](HWND frame) {
      EXPECT_TRUE(lookIn(frame, 1));
      useEntireFolder(frame);
    });
    helper.expect(BoxCaption, [&](HWND box) {
      said = staticTexts(box);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    helper.expect(Title, [](HWND frame) { ModalHelper::dismiss(frame); });
    EXPECT_FALSE(run());
    expectNoProblems(helper);
  }
  EXPECT_NE(std::wstring::npos, said.find(L"Only file-system locations are supported."))
      << testing_support::utf8(said);
  EXPECT_FALSE(dialog.folderChosen());

  {
    ModalHelper helper;
    helper.expect(Title, [&](HWND frame) {
      EXPECT_TRUE(lookIn(frame, 1));
      useEntireFolder(frame);
    });
    answer(helper, &said, IDYES);
    EXPECT_TRUE(run(true));
    expectNoProblems(helper);
  }
  items.clear();
  dialog.getItems(&items);
  ASSERT_EQ(1u, items.size());
  EXPECT_FALSE(items[0].isEmpty());
}

TEST_F(Chooser, WhateverTheHookThrowsIsLoggedAndTheDialogStays) {
  RecordingLogger log;
  log.attach("GetFileOrFolderDialog:record:0");
  ThrowingChooser chooser;
  {
    ModalHelper helper;
    helper.expect(Title, [](HWND frame) { useEntireFolder(frame); });
    // Still there once the click has been handled.
    helper.expect(Title, [](HWND frame) { ModalHelper::dismiss(frame); });
    EXPECT_FALSE(chooser.run(nullptr, true, "Send Files", false));
    expectNoProblems(helper);
  }
  EXPECT_FALSE(chooser.folderChosen());
  bool logged = false;
  for (const std::string& line : log.lines)
    logged |= line.find("GetFileOrFolderDialog: message 0x111 to ") == 0 &&
              line.find(": hook refused") != std::string::npos;
  EXPECT_TRUE(logged);
}
