// Counts of system calls made by the engine (sends, receives, event-loop
// passes, file calls), for measuring where a transfer's time goes. Each
// counter is one static object next to the calls it counts; adding to it is
// one relaxed atomic increment, far below the cost of any system call, so
// the counters always run. logCallCounts() writes them through the
// "CallCounts" log writer at the detail level, so they appear only when the
// Log setting asks for that writer.
#pragma once

#include <atomic>
#include <cstdint>

namespace plat {

class LogWriter;

class CallCounter {
public:
  // The name must outlive the counter (a literal).
  explicit CallCounter(const char* name);
  CallCounter(const CallCounter&) = delete;
  CallCounter& operator=(const CallCounter&) = delete;

  void add(uint64_t n = 1) { count_.fetch_add(n, std::memory_order_relaxed); }
  uint64_t value() const { return count_.load(std::memory_order_relaxed); }
  const char* name() const { return name_; }

  // The list runs from the last constructed counter to the first. Counters
  // are static and registered before main, so the list never changes later.
  static CallCounter* first();
  CallCounter* next() const { return next_; }
  static CallCounter* find(const char* name);

private:
  const char* name_;
  std::atomic<uint64_t> count_;
  CallCounter* next_;
};

// One line "name value" per counter, at the detail level.
void logCallCounts();

} // namespace plat
