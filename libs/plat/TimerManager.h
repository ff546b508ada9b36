// The running timers of one thread, in due order. The thread's loop calls
// processTimers() before each wait and waits at most as long as it answers.
// The manager restarts every timer when the system clock is set back or
// jumps forwards, so that a clock change neither stalls nor floods timers.
#pragma once

#include "plat/Timer.h"

namespace plat {

class TimerManager {
public:
  class Observer {
  public:
    virtual ~Observer() {}
    // ms until the earliest timer, -1 when none runs.
    virtual void nextTimeoutChanged(TimerManager* manager, int ms) = 0;
  };

  // Lives on its thread's stack and becomes the thread's current manager
  // until destroyed.
  explicit TimerManager(Observer* observer = nullptr);
  TimerManager(const TimerManager&) = delete;
  TimerManager& operator=(const TimerManager&) = delete;
  virtual ~TimerManager();

  // Throws "no TimerManager".
  static TimerManager* instance();
  static TimerManager* threadInstanceOrNull();

  // Fires the due timers: -1 when none runs, the ms until the earliest when
  // none is due, 0 after firing (ask again).
  int processTimers();
  // -1 when none runs, else ms until the earliest (rounded up, at least 0).
  int timeUntilNext();

private:
  friend class Timer;

  Timer* earliest() const { return head_.prev_ != &head_ ? head_.prev_ : nullptr; }
  void insert(Timer* timer);
  static void unlink(Timer* timer);
  // Restarts every timer after a clock jump; sets *now either way.
  bool checkClock(int64_t* now);
  void rearm(Timer* timer, int64_t* now);
  void notifyObserver();

  // A timer whose callback runs: null once the timer is deleted, and
  // whether it was restarted meanwhile (then it keeps its new due time).
  // Callbacks may run nested passes, so each pass has its own, on its
  // stack, linked to the one of the pass around it.
  struct Firing {
    Timer* timer;
    bool restarted;
    Firing* outer;
  };
  // Every running callback's record learns of the timer's restart or end.
  void timerRestarted(Timer* timer);
  void timerGone(Timer* timer);

  // From the head: latest due first; the earliest is at the tail.
  Timer head_;
  TimerManager* previous_;
  Observer* observer_;
  // The innermost pass's record, or null.
  Firing* firing_;
};

} // namespace plat
