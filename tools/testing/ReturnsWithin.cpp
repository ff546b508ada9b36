#include "testing/ReturnsWithin.h"

#include <windows.h>

#include <exception>
#include <memory>
#include <thread>

namespace testing_support {

namespace {

// Shared with the call's thread, which may outlive the test.
struct Outcome {
  Outcome() : done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Outcome() { CloseHandle(done); }
  HANDLE done;
  std::exception_ptr thrown;
};

} // namespace

bool returnsWithin(int ms, std::function<void()> call) {
  std::shared_ptr<Outcome> outcome = std::make_shared<Outcome>();
  std::thread caller([outcome, call] {
    try {
      call();
    } catch (...) {
      outcome->thrown = std::current_exception();
    }
    SetEvent(outcome->done);
  });
  if (WaitForSingleObject(outcome->done, (DWORD)ms) != WAIT_OBJECT_0) {
    caller.detach();
    return false;
  }
  caller.join();
  if (outcome->thrown)
    std::rethrow_exception(outcome->thrown);
  return true;
}

} // namespace testing_support
