#include "ui/win/HandlerFailure.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"
#include "plat/ThreadLocal.h"

#include <atomic>
#include <exception>

namespace ui {

namespace {

std::atomic<bool> carrying{false};
plat::ThreadLocal<std::exception_ptr> kept;

} // namespace

void carryHandlerFailures(bool on) { carrying = on; }

void handlerFailed(plat::LogWriter& log, UINT message, HWND hwnd) {
  log.error("message 0x%x to 0x%llx: %s", message, (unsigned long long)(uintptr_t)hwnd,
            plat::caughtText());
  if (!carrying)
    return;
  std::exception_ptr& failure = kept.get();
  if (failure)
    return; // the loops are ending already
  failure = std::current_exception();
  PostQuitMessage(1);
}

void throwHandlerFailure() {
  std::exception_ptr& failure = kept.get();
  if (!failure)
    return;
  std::exception_ptr thrown = failure;
  failure = nullptr;
  std::rethrow_exception(thrown);
}

void stopCarryingHandlerFailures() {
  carrying = false;
  kept.get() = nullptr;
  MSG quit;
  // Posted messages only: a message sent now must not run a handler here.
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE | PM_QS_POSTMESSAGE))
    ;
}

} // namespace ui
