#include "TestDialogs.h"
#include "ui/win/CustomWindow.h"
#include "ui/win/ImageList.h"
#include "ui/win/ToolbarWin.h"
#include "ui/win/WindowClass.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace ui;

namespace {

struct Owner : Menu::ActionCallback, ToolbarWin::ImageFactory {
  std::vector<std::string> actions;
  int imageCalls = 0;
  void action(Menu::Item* item) override { actions.push_back(item->name()); }
  int imageIndex(const char* name) override {
    imageCalls++;
    return atoi(name);
  }
};

struct Toolbars : testing::Test {
  static void SetUpTestSuite() { frameClass = new WindowClass(L"kiv.tests.ToolbarFrame"); }
  static void TearDownTestSuite() { delete frameClass; }
  Toolbars() : images(16, 16, 4, true, 32) {
    for (int i = 0; i < 5; i++)
      images.addIcon(GetModuleHandleW(nullptr), IDI_TILE);
    frame.create(frameClass->atom(), "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 200);
    toolbar.reset(new ToolbarWin(images.handle(), &owner, &owner));
    toolbar->attach(frame.getHandle());
  }
  std::vector<int> commands() {
    std::vector<int> ids;
    HWND bar = toolbar->toolbarWindow();
    int count = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
      TBBUTTON button = {};
      SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&button);
      ids.push_back(button.fsStyle & BTNS_SEP ? -1 : button.idCommand);
    }
    return ids;
  }
  static WindowClass* frameClass;
  ImageList images;
  CustomWindow frame;
  Owner owner;
  std::unique_ptr<ToolbarWin> toolbar;
};

WindowClass* Toolbars::frameClass;

} // namespace

TEST_F(Toolbars, ItemsKeepTheirOrderStateAndReachTheirOwner) {
  Menu::Item* newEntry = toolbar->addItem("0", "New Entry");
  toolbar->addItem(nullptr, nullptr); // separator
  Menu::Item* remove = toolbar->addItem("3", "Delete");
  Menu::Item* properties = toolbar->addItem("2", "Properties", nullptr, remove);
  Menu::Item* connect = toolbar->addItem("4", "Connect", nullptr, nullptr, 1);
  EXPECT_EQ((std::vector<int>{0, -1, 3, 2, 4}), commands());
  ASSERT_EQ(5u, toolbar->items().size());
  EXPECT_EQ(properties, toolbar->items()[2]);
  SIZE size = toolbar->getSize();
  RECT container;
  GetClientRect(toolbar->container(), &container);
  EXPECT_EQ(size.cx, container.right);
  EXPECT_GT(size.cx, 0);

  connect->setChecked(true);
  EXPECT_TRUE(connect->isChecked());
  connect->setChecked(false);
  EXPECT_FALSE(connect->isChecked());
  int calls = owner.imageCalls;
  newEntry->setImage("0");
  EXPECT_EQ(calls, owner.imageCalls);
  newEntry->setImage("1");
  TBBUTTONINFOW info = {sizeof(info), TBIF_IMAGE};
  SendMessageW(toolbar->toolbarWindow(), TB_GETBUTTONINFOW, 0, (LPARAM)&info);
  EXPECT_EQ(1, info.iImage);
  remove->setEnabled(false);
  EXPECT_FALSE(SendMessageW(toolbar->toolbarWindow(), TB_ISBUTTONENABLED, 2, 0)); // Delete's id

  // A click on a button, as the mouse makes it.
  RECT button;
  SendMessageW(toolbar->toolbarWindow(), TB_GETITEMRECT, 2, (LPARAM)&button);
  LPARAM centre = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
  SendMessageW(toolbar->toolbarWindow(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
  SendMessageW(toolbar->toolbarWindow(), WM_LBUTTONUP, 0, centre);
  EXPECT_EQ(std::vector<std::string>{"2"}, owner.actions);

  // The text is the tooltip, answered by the toolbar itself.
  HWND tips = (HWND)SendMessageW(toolbar->toolbarWindow(), TB_GETTOOLTIPS, 0, 0);
  ASSERT_NE(nullptr, tips);
  EXPECT_TRUE(GetWindowLongW(tips, GWL_STYLE) & TTS_ALWAYSTIP);
  wchar_t text[80] = {0};
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = toolbar->toolbarWindow();
  tool.uId = 3; // Properties, added after Delete
  tool.lpszText = text;
  SendMessageW(tips, TTM_GETTEXTW, 80, (LPARAM)&tool);
  EXPECT_STREQ(L"Properties", text);
  properties->setText("Entry properties");
  text[0] = 0;
  SendMessageW(tips, TTM_GETTEXTW, 80, (LPARAM)&tool);
  EXPECT_STREQ(L"Entry properties", text);
}

TEST_F(Toolbars, ItemsWithoutACallbackIgnoreClicksAndADeadToolbarDoesNotThrow) {
  ToolbarWin bare(images.handle(), &owner, nullptr);
  bare.attach(frame.getHandle());
  Menu::Item* item = bare.addItem("0", "New Folder");
  ToolbarWin::Item* button = static_cast<ToolbarWin::Item*>(item);
  SendMessageW(bare.container(), WM_COMMAND, MAKEWPARAM(button->commandId(), 0),
               (LPARAM)bare.toolbarWindow());
  EXPECT_TRUE(owner.actions.empty());
  toolbar->addItem("1", "New Folder");
  frame.destroy(); // both toolbars die with their parent before their objects
  EXPECT_NO_THROW(toolbar.reset());
}
