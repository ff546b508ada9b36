#include "testing/ReturnsWithin.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

namespace testing_support {

// Shared with the call's thread, which may outlive the test.
struct CallInThread::Outcome {
  Outcome() : done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Outcome() { CloseHandle(done); }
  HANDLE done;
  std::exception_ptr thrown;
};

namespace {

std::shared_ptr<CallInThread::Outcome> start(std::function<void()> call) {
  std::shared_ptr<CallInThread::Outcome> outcome = std::make_shared<CallInThread::Outcome>();
  std::thread(
      [outcome](std::function<void()> call) {
        try {
          call();
        } catch (...) {
          outcome->thrown = std::current_exception();
        }
        // What the call holds goes before the caller hears that it returned.
        call = nullptr;
        SetEvent(outcome->done);
      },
      std::move(call))
      .detach();
  return outcome;
}

bool returned(const CallInThread::Outcome& outcome, int ms) {
  return WaitForSingleObject(outcome.done, (DWORD)ms) == WAIT_OBJECT_0;
}

} // namespace

CallInThread::CallInThread(std::function<void()> call) : outcome_(start(std::move(call))) {}

CallInThread::~CallInThread() {
  if (!returned(*outcome_, LongWaitMs))
    ADD_FAILURE() << "A call on a thread of its own still runs after " << LongWaitMs / 1000
                  << " s; it is left to its thread";
}

bool CallInThread::returnedWithin(int ms) { return returned(*outcome_, ms); }

std::exception_ptr CallInThread::thrown() const {
  return returned(*outcome_, 0) ? outcome_->thrown : nullptr;
}

bool returnsWithin(int ms, std::function<void()> call) {
  std::shared_ptr<CallInThread::Outcome> outcome = start(std::move(call));
  // Otherwise its thread is left to it; the caller says what failed.
  if (!returned(*outcome, ms))
    return false;
  if (outcome->thrown)
    std::rethrow_exception(outcome->thrown);
  return true;
}

bool waitUntil(const std::function<bool()>& done, int ms) {
  ULONGLONG deadline = GetTickCount64() + (ULONGLONG)ms;
  while (!done()) {
    if (GetTickCount64() >= deadline)
      return done();
    Sleep(2);
  }
  return true;
}

} // namespace testing_support
