// A helper thread for tests of modal windows: while the test's thread sits
// in a modal loop (a dialog box, a message box, the open-file dialog), the
// helper finds each expected window of that thread in turn and acts on it.
// Dialog windows nobody expects, and any still open when an expected one
// fails to come, are dismissed, so a test never hangs on a window.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class ModalHelper {
public:
  // Watches the top-level windows of thread (the caller's by default).
  explicit ModalHelper(DWORD thread = GetCurrentThreadId(), int stepTimeoutMs = 30000);
  ModalHelper(const ModalHelper&) = delete;
  ModalHelper& operator=(const ModalHelper&) = delete;
  // Waits for a step still running, answering what it sends to this
  // thread's windows meanwhile.
  ~ModalHelper();

  // The next enabled, visible top-level window whose title is title (empty:
  // any dialog) gets action, run on the helper thread. Steps run in order.
  void expect(const std::wstring& title, std::function<void(HWND)> action);

  // Closes the window as its Cancel button or close box would, and waits
  // (briefly) until it is gone unless called on its own thread.
  static void dismiss(HWND window);

  // What went wrong: steps whose window never came, windows dismissed.
  std::vector<std::string> problems();
  bool done();

private:
  struct Step {
    std::wstring title;
    std::function<void(HWND)> action;
  };
  void run();
  // Returns once the window's thread has taken what the action posted.
  void settle(HWND window);
  HWND findWindow(const std::wstring& title, bool anyDialog);

  DWORD thread_;
  int stepTimeoutMs_;
  std::mutex lock_;
  std::deque<Step> steps_;
  std::vector<std::string> problems_;
  bool stopping_ = false;
  std::atomic<bool> finished_{false};
  std::thread worker_;
};

} // namespace testing_support
