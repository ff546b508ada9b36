#include "ledrow/app/win/AppMain.h"
#include "ledrow/app/CommandLine.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/win/MainWindow.h"
#include "ledrow/app/win/SettingsKey.h"
#include "ledrow/data/UserNameSource.h"
#include "os/win/Console.h"
#include "os/win/CurrentUser.h"
#include "os/win/RegPolicy.h"
#include "plat/Configuration.h"
#include "plat/Exception.h"
#include "plat/TimerManager.h"
#include "plat/win/AppInit.h"
#include "plat/win/EventManager.h"
#include "ui/win/Dialog.h"
#include "ui/win/HandlerFailure.h"
#include "ui/win/MsgBox.h"

#include <commctrl.h>

#include <cstdio>

namespace addrbook {

namespace {

// Every new option set asks; the answer does not change during the run.
plat::String windowsUserName() {
  static const plat::String name(os::UserName().str());
  return name;
}

// What the command line asked for besides settings; -1 when the program
// goes on.
int actOn(const CommandLine& line, os::Console& console) {
  if (line.console || line.outcome == CommandLine::Help)
    console.open();
  switch (line.outcome) {
  case CommandLine::Help: {
    std::string usage = usageText(plat::appInfo().about.bannerText.c_str(), line.showAll,
                                  plat::Configuration::global());
    fputs(usage.c_str(), stdout);
    fputs("Press Enter/Return key to continue\n", stdout);
    fflush(stdout);
    getchar();
    return 0;
  }
  case CommandLine::Unrecognised:
    fprintf(stderr, "Unrecognised option: %s\n", line.argument.c_str());
    return 1;
  default:
    return -1;
  }
}

// Another address book of this user on this desktop comes to the front
// instead.
bool raiseRunningBook() {
  HWND running = FindWindowW(MainWindow::ClassName, nullptr);
  if (!running)
    return false;
  ShowWindow(running, SW_SHOW);
  SetForegroundWindow(running);
  return true;
}

int run(HINSTANCE instance) {
  plat::TimerManager timers;
  plat::EventManager events;
  MainWindow window(instance);
  window.dialog().loadTree();
  window.dialog().upgradeEntries();
  window.dialog().refreshTree(nullptr);
  // Started in the notification area only when the icon is there to come
  // back through.
  if (!(minimiseToTray && startMinimised && window.trayIconAdded()))
    window.showAndRaise();
  return runMessageLoop();
}

} // namespace

int runMessageLoop() {
  plat::TimerManager* timers = plat::TimerManager::instance();
  plat::EventManager* events = plat::EventManager::instance();
  for (;;) {
    int timeout = timers->processTimers();
    MSG msg;
    // The wait runs the messages other programs send (the viewer's
    // connections), the dispatch the rest: a handler's failure ends the
    // loop once they are back here.
    bool got = events->awaitEvent(&msg, timeout);
    ui::throwHandlerFailure();
    if (!got)
      continue;
    if (!ui::Dialog::isDialogMessage(&msg)) {
      if (msg.message == WM_QUIT)
        return (int)msg.wParam;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    ui::throwHandlerFailure();
  }
}

int appMain(HINSTANCE instance, const plat::CommandLineArgs& args) {
  try {
    plat::appInit("ledrow", nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES |
                                                           ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    setUserNameSource(windowsUserName);
    openSettingsKey();
    os::loadRegPolicy(plat::Configuration::global(), HKEY_CURRENT_USER, ProductName, MakerName);
    os::Console console;
    int exitCode = actOn(readCommandLine(args.count(), args.argv(), plat::Configuration::global()),
                         console);
    if (exitCode >= 0)
      return exitCode;
    if (raiseRunningBook())
      return 0;
    ui::carryHandlerFailures(true);
    return run(instance);
  } catch (...) {
    ui::stopCarryingHandlerFailures();
    ui::MsgBox(nullptr, plat::caughtText(), MB_OK | MB_ICONERROR);
    return 1;
  }
}

} // namespace addrbook
