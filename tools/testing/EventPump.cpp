#include "testing/EventPump.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"

#include <windows.h>

#include <algorithm>

namespace testing_support {

bool pumpUntil(const std::function<bool()>& done, int deadlineMs) {
  plat::EventManager* events = plat::EventManager::instance();
  plat::TimerManager* timers = plat::TimerManager::instance();
  ULONGLONG deadline = GetTickCount64() + (ULONGLONG)deadlineMs;
  for (;;) {
    if (done())
      return true;
    ULONGLONG now = GetTickCount64();
    if (now >= deadline)
      return false;
    int left = (int)(deadline - now);
    int wait = timers->processTimers();
    wait = wait < 0 ? left : std::min(wait, left);
    MSG msg;
    if (events->awaitEvent(&msg, wait)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void pumpFor(int ms) {
  pumpUntil([] { return false; }, ms);
}

bool pumpStepping(const std::function<bool()>& step, const std::function<bool()>& done,
                  int deadlineMs) {
  plat::EventManager* events = plat::EventManager::instance();
  ULONGLONG deadline = GetTickCount64() + (ULONGLONG)deadlineMs;
  while (!done()) {
    if (GetTickCount64() > deadline)
      return false;
    bool moved = step();
    MSG msg;
    if (events->awaitEvent(&msg, moved ? 0 : 2)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

} // namespace testing_support
