// A one-shot or repeating timer of the calling thread's TimerManager. Timers
// are usually members of the object that owns their callback; a timer is
// started, stopped and destroyed on the thread that runs its manager.
#pragma once

#include <cstdint>

namespace plat {

class TimerManager;

class Timer {
public:
  class Callback {
  public:
    virtual ~Callback() {}
    // True asks for the timer to fire again one interval later.
    virtual bool handleTimeout(Timer* timer) = 0;
  };

  explicit Timer(Callback* callback);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  ~Timer();

  // (Re)starts on the calling thread's manager, due intervalMs from now;
  // throws "no TimerManager" when the thread has none.
  void start(int intervalMs);
  // Harmless when not running.
  void stop();
  bool isStarted() const { return next_ != nullptr; }
  int intervalMs() const { return interval_; }
  // In the time base of currentTime().
  int64_t dueTime() const { return due_; }

private:
  friend class TimerManager;
  Timer(); // a manager's list head

  int64_t due_;
  int interval_;
  Callback* callback_;
  Timer* prev_;
  Timer* next_;
};

} // namespace plat
