// For a call that a fault would leave waiting for ever: it runs on a thread
// of its own, so that the test fails after a while instead of hanging.
#pragma once

#include <exception>
#include <functional>
#include <memory>

namespace testing_support {

// A limit for what takes a moment on a quiet machine, that no busy machine
// reaches.
const int LongWaitMs = 60000;

// True when call returned within ms milliseconds; what it threw is thrown
// here. Otherwise its thread is left waiting: whatever the call uses must
// then stay for the rest of the run (the test leaks it).
bool returnsWithin(int ms, std::function<void()> call);

// Looks at done() every few milliseconds until it holds, for up to ms;
// true when it held. For what no event tells.
bool waitUntil(const std::function<bool()>& done, int ms);

// A call that runs on a thread of its own while the test goes on, and is
// waited for with a limit. Whatever the call uses beyond what it captured
// by value must outlive the object: one still running when the object goes
// (after LongWaitMs more) fails the test and is left to its thread.
class CallInThread {
public:
  explicit CallInThread(std::function<void()> call);
  CallInThread(const CallInThread&) = delete;
  CallInThread& operator=(const CallInThread&) = delete;
  ~CallInThread();

  // True once the call has returned, waiting up to ms for it.
  bool returnedWithin(int ms);
  // What the call threw, once it has returned.
  std::exception_ptr thrown() const;

  struct Outcome;

private:
  std::shared_ptr<Outcome> outcome_;
};

} // namespace testing_support
