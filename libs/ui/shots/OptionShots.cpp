// Pictures of the option toolkit's windows for ./dev shots: an entry's
// properties sheet in its basic and its advanced set (with the title
// banner), the expert list with a row being edited and a row a policy
// locks, the toolbar of an address book's main window, and the About box.
#include "../tests/win/OptionPages.h"
#include "../tests/win/TestDialogs.h"
#include "os/win/StartupValues.h"
#include "plat/Exception.h"
#include "testing/Shots.h"
#include "ui/win/AboutDialog.h"
#include "ui/win/AdvancedDialog.h"
#include "ui/win/CustomWindow.h"
#include "ui/win/ImageList.h"
#include "ui/win/PropertiesDialog.h"
#include "ui/win/ToolbarWin.h"
#include "ui/win/WindowClass.h"

#include <cstdlib>
#include <memory>

using namespace option_pages;

namespace {

// The pages and texts of an entry's properties.
struct Entry {
  Entry()
      : flags("Shots"), advanced("AdvancedOptions", "", false, 0, &flags), server(serverPage(&o)),
        basic(&o), inputs(inputsPage(&o)), printing(printingPage(&o)), expert(&o, nullptr) {
    loadEntry(&o);
  }
  std::vector<ui::SheetPage> basicSet() {
    return {{server.get(), "Kiv Server Options",
             "Configure the Kiv Server address and authentication details."},
            {&basic, "Basic Options",
             "Configure the most common Kiv Viewer options. Click the Advanced button for more "
             "options."}};
  }
  std::vector<ui::SheetPage> advancedSet() {
    return {{server.get(), "Kiv Server Options",
             "Configure the Kiv Server address and authentication details."},
            {inputs.get(), "Input Options",
             "Enable or disable file transfer, or mouse or keyboard interaction with Kiv Server."},
            {printing.get(), "Printing Options",
             "Enable or disable printing and control how the printer is shared with Kiv Server."},
            {&expert, "Advanced Options",
             "This page provides advanced configuration options. It is recommended for "
             "experienced users only."}};
  }
  std::unique_ptr<ui::PropertiesDialog> sheet(bool advancedSet_) {
    advanced.setValue(advancedSet_, 50);
    std::unique_ptr<ui::PropertiesDialog> made(new ui::PropertiesDialog(
        "Properties", basicSet(), advancedSet(), &expert, &advanced, true));
    made->show(nullptr, false, false);
    SetWindowPos(made->getHandle(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return made;
  }

  Options o;
  plat::Configuration flags;
  plat::BoolParameter advanced;
  std::unique_ptr<Page> server;
  BasicPage basic;
  std::unique_ptr<Page> inputs;
  std::unique_ptr<Page> printing;
  ui::AdvancedDialog expert;
};

} // namespace

KIV_SHOT(properties_basic) {
  Entry entry;
  auto sheet = entry.sheet(false);
  SendMessageW(sheet->getHandle(), PSM_SETCURSEL, 1, 0);
  shot.save(sheet->getHandle());
}

KIV_SHOT(properties_advanced) {
  Entry entry;
  auto sheet = entry.sheet(true);
  SendMessageW(sheet->getHandle(), PSM_SETCURSEL, 1, 0);
  shot.save(sheet->getHandle());
}

// The editor sits over ColourLevel's value; AcceptBell, set by policy, is
// grey.
KIV_SHOT(expert_list) {
  Entry entry;
  entry.o.acceptBell.setParam("0", 0);
  entry.o.monitor.setParam("\\\\.\\DISPLAY2", 50);
  auto sheet = entry.sheet(true);
  SendMessageW(sheet->getHandle(), PSM_SETCURSEL, 3, 0);
  HWND list = entry.expert.listView();
  LPARAM at = cellPoint(list, "ColourLevel", 1);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  if (!entry.expert.editedParameter())
    throw plat::Exception("no editor over ColourLevel");
  SetWindowTextW(entry.expert.editBox(), L"rgb222");
  SendMessageW(entry.expert.editBox(), EM_SETSEL, 6, 6);
  shot.save(sheet->getHandle());
}

namespace {

struct MainWindow : ui::Menu::ActionCallback, ui::ToolbarWin::ImageFactory {
  void action(ui::Menu::Item*) override {}
  int imageIndex(const char* name) override { return atoi(name); }
};

} // namespace

// An address book's main window with its toolbar: Properties checked,
// Delete disabled, a separator before Connect.
KIV_SHOT(toolbar) {
  int size = 16 * os::screenDpi() / 96;
  ui::ImageList images(size, size, 4, true, 32);
  for (int icon : {32512, 32516, 32514, 32513, 32517}) // the system's own icons
    images.addIcon(nullptr, icon);
  MainWindow owner;
  ui::ToolbarWin toolbar(images.handle(), &owner, &owner);
  ui::WindowClass frameClass(L"kiv.shots.MainWindow", nullptr, LoadCursorW(nullptr, IDC_ARROW),
                             nullptr, nullptr, (HBRUSH)(COLOR_BTNFACE + 1));
  ui::CustomWindow frame;
  int dpi = os::screenDpi();
  frame.create(frameClass.atom(), "Kiv Address Book", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
               320 * dpi / 96, 100 * dpi / 96);
  toolbar.attach(frame.getHandle());
  toolbar.addItem("0", "New Entry", nullptr, nullptr, 1);
  toolbar.addItem("1", "New Folder", nullptr, nullptr, 1);
  ui::Menu::Item* properties = toolbar.addItem("2", "Properties", nullptr, nullptr, 1);
  ui::Menu::Item* remove = toolbar.addItem("3", "Delete", nullptr, nullptr, 1);
  toolbar.addItem(nullptr, nullptr);
  toolbar.addItem("4", "Connect", nullptr, nullptr, 1);
  properties->setChecked(true);
  remove->setEnabled(false);
  toolbar.show();
  // The window as tall as its toolbar: the tree below is not this picture's.
  SIZE bar = toolbar.getSize();
  RECT r = {0, 0, bar.cx + 120 * dpi / 96, bar.cy};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  SetWindowPos(frame.getHandle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER);
  shot.save(frame.getHandle());
}

KIV_SHOT(about) {
  ui::AboutDialog about(IDI_TILE);
  about.createModeless(nullptr);
  SetWindowPos(about.getHandle(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  about.bringToFront();
  shot.save(about.getHandle());
}
