#include "ferrin/win/MainLoop.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "ui/win/Dialog.h"

namespace ferrin {

int runMainLoop(const bool& connected) {
  plat::TimerManager* timers = plat::TimerManager::instance();
  plat::EventManager* events = plat::EventManager::instance();
  for (;;) {
    int timeout = timers->processTimers();
    MSG msg;
    if (events->awaitEvent(&msg, timeout) && !ui::Dialog::isDialogMessage(&msg)) {
      if (msg.message == WM_QUIT)
        return (int)msg.wParam;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (!connected)
      return 0;
  }
}

} // namespace ferrin
