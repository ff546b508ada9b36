#include "TestDialogs.h"
#include "testing/ModalHelper.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"
#include "ui/win/Checkbox.h"
#include "ui/win/ChildDialog.h"
#include "ui/win/ComboBox.h"
#include "ui/win/CustomWindow.h"
#include "ui/win/Dialog.h"
#include "ui/win/EditBox.h"
#include "ui/win/ImageList.h"
#include "ui/win/Tooltip.h"
#include "ui/win/WindowClass.h"

#include <gtest/gtest.h>

#include <string>

using namespace ui;

namespace {

struct Inputs : Dialog {
  Inputs() : Dialog(L"WIDGETS_DIALOG") {}
  Checkbox check;
  EditBox number;
  AutoExpandEditBox prompt{4};
  ComboBox list;
  int again = -1;
  bool onInitDialog() override {
    check.wrap(getDlgItem(IDC_CHECK));
    number.wrap(getDlgItem(IDC_NUMBER));
    prompt.wrap(getDlgItem(IDC_PROMPT));
    prompt.measureLine();
    list.wrap(getDlgItem(IDC_LIST));
    return false;
  }
  bool onCommand(int id, int code) override {
    if (id == IDC_AGAIN)
      again = runModal(nullptr); // already open
    return false;
  }
};

int height(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r.bottom - r.top;
}

} // namespace

TEST(InputControls, CheckboxStatesNumbersAndLists) {
  Inputs d;
  d.createModeless(nullptr);
  CheckboxWidget* box = &d.check;
  box->setState(CheckboxWidget::Checked);
  EXPECT_EQ(BST_CHECKED, SendMessageW(d.check.getHandle(), BM_GETCHECK, 0, 0));
  EXPECT_EQ(CheckboxWidget::Checked, box->getState());
  box->setTriState(true);
  EXPECT_EQ(BS_AUTO3STATE, GetWindowLongW(d.check.getHandle(), GWL_STYLE) & 0xF);
  box->setState(5);
  EXPECT_EQ(CheckboxWidget::Indeterminate, box->getState());
  box->setTriState(false);
  EXPECT_EQ(BS_AUTOCHECKBOX, GetWindowLongW(d.check.getHandle(), GWL_STYLE) & 0xF);
  box->setState(CheckboxWidget::Unchecked);
  EXPECT_EQ(BST_UNCHECKED, SendMessageW(d.check.getHandle(), BM_GETCHECK, 0, 0));
  box->setLocked(true);
  d.check.enable(true); // a dependent control's enabling keeps the lock
  EXPECT_FALSE(IsWindowEnabled(d.check.getHandle()));

  struct {
    const wchar_t* text;
    int value;
  } numbers[] = {{L"12abc", 12}, {L"", 0}, {L" -7", -7}, {L"x9", 0}};
  for (auto& n : numbers) {
    SetWindowTextW(d.number.getHandle(), n.text);
    EXPECT_EQ(n.value, d.number.getInt()) << testing_support::utf8(n.text);
  }
  d.number.setInt(-42);
  EXPECT_EQ(L"-42", testing_support::windowText(d.number.getHandle()));
  std::string longText(400, 'z');
  d.number.setText(longText.c_str());
  EXPECT_EQ(longText, d.number.getText()); // not cut at 255

  for (const char* item : {"none", "F1", "F8"})
    d.list.addString(item);
  d.list.setText("f8");
  EXPECT_EQ(2, d.list.getCurSel());
  EXPECT_STREQ("F8", d.list.getText());
  d.list.setText("F");
  EXPECT_EQ(-1, d.list.getCurSel());
  EXPECT_STREQ("", d.list.getText());
}

TEST(InputControls, AnExpandingEditBoxGrowsByWholeLinesUpToItsMaximum) {
  Inputs d;
  d.createModeless(nullptr);
  HWND prompt = d.prompt.getHandle();
  RECT format = {};
  SendMessageW(prompt, EM_GETRECT, 0, (LPARAM)&format);
  int line = format.bottom - format.top;
  ASSERT_GT(line, 0);
  int before = height(prompt);
  SetWindowTextW(prompt, L"1\r\n2\r\n3\r\n4\r\n5\r\n6");
  EXPECT_EQ(3 * line, d.prompt.adjustHeight());
  EXPECT_EQ(before + 3 * line, height(prompt));
  EXPECT_EQ(0, d.prompt.adjustHeight());
  SetWindowTextW(prompt, L"one line");
  EXPECT_EQ(-3 * line, d.prompt.adjustHeight());
  EXPECT_EQ(before, height(prompt));
}

TEST(InputControls, ModalRunTooltipsAndImageLists) {
  Inputs d;
  testing_support::ModalHelper helper;
  helper.expect(L"Input controls", [](HWND w) {
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_AGAIN, BN_CLICKED), 0);
    testing_support::clickButton(w, IDOK);
  });
  EXPECT_TRUE(d.runModal(nullptr));
  EXPECT_EQ(0, d.again);
  EXPECT_EQ(nullptr, d.getHandle());

  d.createModeless(nullptr);
  d.setToolTip(IDC_CHECK, "Share the files you copy", 300);
  Tooltip* first = d.tooltip();
  d.setToolTip(IDC_NUMBER, "How many", 300);
  EXPECT_EQ(first, d.tooltip());
  EXPECT_EQ(2, SendMessageW(first->getHandle(), TTM_GETTOOLCOUNT, 0, 0));
  d.end(false);
  EXPECT_EQ(nullptr, d.tooltip()); // went with the window

  ImageList images(16, 16, 4, true, 32);
  HINSTANCE module = GetModuleHandleW(nullptr);
  EXPECT_EQ(0, images.addIcon(module, IDI_TILE));
  EXPECT_EQ(1, images.addIcon(module, IDI_TILE));
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(2, images.addMasked(bitmap, RGB(255, 0, 255), true));
  EXPECT_THROW(images.addIcon(module, 4242), plat::SystemException);
}

TEST(InputControls, AChildDialogAnswersThroughItsMessageResult) {
  WindowClass frameClass(L"kiv.tests.PanelFrame");
  CustomWindow frame;
  frame.create(frameClass.atom(), "frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  struct Panel : ChildDialog {
    Panel(HWND parent) : ChildDialog(parent, L"CHILD_PANEL") {}
    bool handleMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT* result) override {
      if (message != WM_USER + 5)
        return false;
      *result = 99;
      return true;
    }
  } panel(frame.getHandle());
  EXPECT_EQ(frame.getHandle(), GetParent(panel.getHandle()));
  EXPECT_EQ(99, SendMessageW(panel.getHandle(), WM_USER + 5, 0, 0)); // the message result
  EXPECT_EQ(99, GetWindowLongPtrW(panel.getHandle(), DWLP_MSGRESULT));
  EXPECT_THROW(ChildDialog(frame.getHandle(), L"NO_SUCH_TEMPLATE"), plat::SystemException);
  frame.destroy(); // the panel goes with its parent
  EXPECT_EQ(nullptr, panel.getHandle());
}
