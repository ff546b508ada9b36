// Another program holding the clipboard open for a moment, as one reading
// it does.
#pragma once

#include "testing/ReturnsWithin.h"

#include <windows.h>

#include <atomic>
#include <memory>

namespace ferrin_test {

// Another thread holds the clipboard open for a window of its own, as a
// program reading it does (opened for no window it would not exclude),
// until it is let go.
class ClipboardHolder {
  struct State {
    State() : letGo(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~State() { CloseHandle(letGo); }
    HANDLE letGo;
    std::atomic<int> held{-1};
  };

public:
  ClipboardHolder()
      : state(std::make_shared<State>()), holding([state = state] {
          HWND window = CreateWindowW(L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, nullptr, nullptr);
          state->held = window && OpenClipboard(window) ? 1 : 0;
          if (state->held == 1) {
            WaitForSingleObject(state->letGo, INFINITE);
            CloseClipboard();
          }
          if (window)
            DestroyWindow(window);
        }) {}
  ~ClipboardHolder() { letGo(); }

  // Waits until the thread knows whether it holds the clipboard open.
  bool holds() {
    return testing_support::waitUntil([&] { return state->held >= 0; },
                                      testing_support::LongWaitMs) &&
           state->held == 1;
  }
  // True once the clipboard is closed again.
  bool letGo() {
    SetEvent(state->letGo);
    return holding.returnedWithin(testing_support::LongWaitMs);
  }

private:
  std::shared_ptr<State> state;
  testing_support::CallInThread holding;
};

} // namespace ferrin_test
