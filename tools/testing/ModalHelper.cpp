#include "testing/ModalHelper.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"

namespace testing_support {

namespace {

const int PollMs = 25;
// An unexpected dialog is left this long before it is dismissed: it may
// be about to become the next expected one.
const int UnexpectedMs = 3000;

bool isDialog(HWND window) {
  wchar_t cls[16];
  GetClassNameW(window, cls, 16);
  return lstrcmpW(cls, L"#32770") == 0;
}

struct Found {
  const std::wstring* title;
  bool anyDialog;
  HWND window;
};

BOOL CALLBACK match(HWND window, LPARAM param) {
  Found* found = (Found*)param;
  if (!IsWindowVisible(window) || !IsWindowEnabled(window))
    return TRUE;
  bool matches = found->anyDialog ? isDialog(window) : windowText(window) == *found->title;
  if (matches) {
    found->window = window;
    return FALSE;
  }
  return TRUE;
}

} // namespace

ModalHelper::ModalHelper(DWORD thread, int stepTimeoutMs)
    : thread_(thread), stepTimeoutMs_(stepTimeoutMs), worker_([this] {
        run();
        finished_ = true;
      }) {}

ModalHelper::~ModalHelper() {
  {
    std::lock_guard<std::mutex> l(lock_);
    stopping_ = true;
  }
  // A step may still be sending to this thread's windows (a redraw, a text
  // read) after the modal loop it was meant for has ended: answer those
  // while it finishes, or both threads wait for each other.
  while (!finished_) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, PollMs, QS_SENDMESSAGE);
  }
  worker_.join();
}

void ModalHelper::expect(const std::wstring& title, std::function<void(HWND)> action) {
  std::lock_guard<std::mutex> l(lock_);
  steps_.push_back({title, std::move(action)});
}

void ModalHelper::dismiss(HWND window) {
  PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  PostMessageW(window, WM_CLOSE, 0, 0);
  // Until it is gone the next step could take it for the next box of the
  // same title. Its own thread cannot wait here: it closes it later.
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
    return;
  for (int i = 0; i < 100 && IsWindow(window) && IsWindowVisible(window); i++)
    Sleep(20);
}

std::vector<std::string> ModalHelper::problems() {
  std::lock_guard<std::mutex> l(lock_);
  return problems_;
}

bool ModalHelper::done() {
  std::lock_guard<std::mutex> l(lock_);
  return steps_.empty();
}

HWND ModalHelper::findWindow(const std::wstring& title, bool anyDialog) {
  Found found = {&title, anyDialog, nullptr};
  EnumThreadWindows(thread_, match, (LPARAM)&found);
  return found.window;
}

// An action that posts to its window (a click) returns before the window's
// thread has taken the message; looking for the next window then may find
// this one again, still enabled, where the click is about to open a box.
// A message sent to the window is answered when its thread next takes
// messages, before those posted: the second answer comes only once the
// thread has taken the posted one, and from within what that opened.
void ModalHelper::settle(HWND window) {
  for (int i = 0; i < 2; i++) {
    DWORD_PTR result;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, stepTimeoutMs_ / 4, &result))
      return;
  }
}

void ModalHelper::run() {
  ULONGLONG waitingSince = GetTickCount64();
  HWND unexpected = nullptr;
  ULONGLONG unexpectedSince = 0;
  for (;;) {
    Step step;
    bool haveStep = false;
    {
      std::lock_guard<std::mutex> l(lock_);
      if (stopping_)
        return;
      if (!steps_.empty()) {
        step = steps_.front();
        haveStep = true;
      }
    }
    ULONGLONG now = GetTickCount64();
    if (haveStep) {
      HWND window = findWindow(step.title, step.title.empty());
      if (window) {
        step.action(window);
        settle(window);
        std::lock_guard<std::mutex> l(lock_);
        steps_.pop_front();
        waitingSince = now;
        unexpected = nullptr;
      } else if (now - waitingSince > (ULONGLONG)stepTimeoutMs_) {
        std::lock_guard<std::mutex> l(lock_);
        problems_.push_back("no window \"" + utf8(step.title) + "\"");
        steps_.clear();
      }
    }
    // Whatever dialog is on top and not expected goes in the end.
    HWND top = findWindow(L"", true);
    if (top && (!haveStep || now - waitingSince > (ULONGLONG)stepTimeoutMs_ / 2)) {
      if (top != unexpected) {
        unexpected = top;
        unexpectedSince = now;
      } else if (now - unexpectedSince > (ULONGLONG)UnexpectedMs) {
        // A message box is known by its text. Read outside the lock: the
        // window's thread may be slow to answer.
        std::string problem =
            "dismissed \"" + utf8(windowText(top)) + "\" " + utf8(staticTexts(top));
        {
          std::lock_guard<std::mutex> l(lock_);
          problems_.push_back(problem);
        }
        dismiss(top);
        unexpected = nullptr;
      }
    }
    Sleep(PollMs);
  }
}

} // namespace testing_support
