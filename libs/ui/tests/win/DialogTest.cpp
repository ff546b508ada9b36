#include "TestDialogs.h"
#include "testing/RecordingLogger.h"
#include "ui/win/Dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>

using namespace ui;

namespace {

struct TestDialog : Dialog {
  TestDialog() : Dialog(L"TEST_DIALOG", nullptr, IDI_TILE, IDI_TILE) {}
  bool valid = true;
  bool cancelAllowed = true;
  int applied = 0;
  int shown = 0;
  int lastCommand = 0;
  bool validate() override { return valid; }
  bool apply() override {
    applied++;
    return true;
  }
  bool onCancel() override { return cancelAllowed; }
  void onShow() override { shown++; }
  bool onCommand(int id, int code) override {
    if (id == OutOfMemory)
      throw std::bad_alloc();
    lastCommand = id;
    return true;
  }
  // A command whose handling runs out of memory.
  enum { OutOfMemory = 999 };
  bool onNotify(NMHDR* header, LRESULT* result) override {
    if (header->code != 12345)
      return false;
    *result = 77;
    return true;
  }
};

LRESULT notify(HWND dialog, UINT code) {
  NMHDR header = {dialog, 0, code};
  return SendMessageW(dialog, WM_NOTIFY, 0, (LPARAM)&header);
}

} // namespace

TEST(Dialogs, OkWithAFailingValidateKeepsTheWindowAndAppliesNothing) {
  TestDialog dialog;
  EXPECT_FALSE(dialog.end(true)); // no window yet
  dialog.show(nullptr);
  HWND window = dialog.getHandle();
  ASSERT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(1, dialog.shown);
  EXPECT_NE(0, SendMessageW(window, WM_GETICON, ICON_BIG, 0));
  EXPECT_NE(0, SendMessageW(window, WM_GETICON, ICON_SMALL, 0));

  dialog.valid = false;
  SendMessageW(window, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(0, dialog.applied);

  dialog.cancelAllowed = false;
  SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindow(window));

  SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_NAME, EN_CHANGE), 0);
  EXPECT_EQ(IDC_NAME, dialog.lastCommand);

  dialog.valid = true;
  SendMessageW(window, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(1, dialog.applied);
  EXPECT_EQ(nullptr, dialog.getHandle());
}

TEST(Dialogs, PropertyPageNotificationsAnswerThroughTheMessageResult) {
  TestDialog dialog;
  dialog.createModeless(nullptr);
  HWND window = dialog.getHandle();
  dialog.valid = false;
  EXPECT_EQ(1, notify(window, PSN_KILLACTIVE)); // keep the page
  EXPECT_EQ(1, GetWindowLongPtrW(window, DWLP_MSGRESULT));
  dialog.valid = true;
  EXPECT_EQ(0, notify(window, PSN_KILLACTIVE));
  EXPECT_EQ(0, notify(window, PSN_APPLY));
  EXPECT_EQ(1, dialog.applied);
  EXPECT_EQ(77, notify(window, 12345));
  EXPECT_EQ(0, SendMessageW(window, WM_NOTIFY, 0, 0)); // no header at all
  EXPECT_TRUE(IsWindow(window));
}

TEST(Dialogs, EndingTheMiddleOfThreeModelessDialogsLeavesTheOthersTakingKeys) {
  TestDialog dialogs[3];
  for (TestDialog& d : dialogs) {
    d.show(nullptr);
    d.createModeless(nullptr); // already there: listed once
  }
  HWND middle = dialogs[1].getHandle();
  ASSERT_TRUE(dialogs[1].end(false));
  EXPECT_FALSE(IsWindow(middle));

  for (int i : {0, 2}) {
    HWND first = GetDlgItem(dialogs[i].getHandle(), IDC_NAME);
    SetFocus(first);
    MSG tab = {first, WM_KEYDOWN, VK_TAB, 0};
    EXPECT_TRUE(Dialog::isDialogMessage(&tab)) << i;
    EXPECT_EQ(GetDlgItem(dialogs[i].getHandle(), IDC_SECOND), GetFocus()) << i;
  }
  MSG stale = {middle, WM_KEYDOWN, VK_TAB, 0};
  EXPECT_FALSE(Dialog::isDialogMessage(&stale));

  // Destroyed from outside, a dialog leaves the list and forgets its window.
  HWND last = dialogs[2].getHandle();
  DestroyWindow(last);
  EXPECT_EQ(nullptr, dialogs[2].getHandle());
  HWND edit = GetDlgItem(dialogs[0].getHandle(), IDC_NAME);
  MSG tab = {edit, WM_KEYDOWN, VK_TAB, 0};
  EXPECT_TRUE(Dialog::isDialogMessage(&tab));
}

TEST(Dialogs, BadInputIsLoggedNotFollowed) {
  struct Missing : Dialog {
    Missing() : Dialog(L"NO_SUCH_DIALOG") {}
  } missing;
  try {
    missing.createModeless(nullptr);
    ADD_FAILURE();
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(0, strncmp(e.str(), "CreateDialogParam: ", 19)) << e.str();
  }
  EXPECT_EQ(nullptr, missing.getHandle());

  RecordingLogger log;
  log.attach("Dialog:record:0");
  auto dialog = std::make_unique<TestDialog>();
  dialog->createModeless(nullptr);
  HWND window = dialog->getHandle();
  // Another program's WM_INITDIALOG with a made-up object.
  SendMessageW(window, WM_INITDIALOG, 0, (LPARAM)0x1234);
  char line[96];
  snprintf(line, sizeof(line), "Dialog: stray WM_INITDIALOG to 0x%llx ignored",
           (unsigned long long)(uintptr_t)window);
  EXPECT_TRUE(log.has(line));
  // Whatever a handler throws stops at the procedure.
  EXPECT_EQ(0, SendMessageW(window, WM_COMMAND, TestDialog::OutOfMemory, 0));
  snprintf(line, sizeof(line), "Dialog: message 0x111 to 0x%llx: std::bad_alloc",
           (unsigned long long)(uintptr_t)window);
  EXPECT_TRUE(log.has(line));
  SendMessageW(window, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(1, dialog->applied);
  dialog.reset();
}
