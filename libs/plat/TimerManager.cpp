#include "plat/TimerManager.h"
#include "plat/CurrentTime.h"
#include "plat/LogWriter.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace plat {

static LogWriter vlog("TimerManager");

static thread_local TimerManager* current;

// Milliseconds from now until due, rounded up, within the int range.
static int64_t msUntil(int64_t due, int64_t now) {
  int64_t diff = due - now;
  int64_t ms = diff >= 0 ? (diff + TimeUnitsPerMs - 1) / TimeUnitsPerMs : -(-diff / TimeUnitsPerMs);
  return std::max<int64_t>(INT_MIN, std::min<int64_t>(INT_MAX, ms));
}

TimerManager::TimerManager(Observer* observer)
    : previous_(current), observer_(observer), firing_(nullptr) {
  current = this;
}

TimerManager::~TimerManager() {
  while (Timer* t = earliest())
    unlink(t);
  if (current == this)
    current = previous_;
  else
    vlog.error("out-of-sequence dtor");
}

TimerManager* TimerManager::instance() {
  if (!current)
    throw Exception("no TimerManager");
  return current;
}

TimerManager* TimerManager::threadInstanceOrNull() { return current; }

// Among equal due times the timer started first stays nearer the tail and
// fires first.
void TimerManager::insert(Timer* timer) {
  Timer* p = head_.next_;
  while (p != &head_ && p->due_ > timer->due_)
    p = p->next_;
  timer->prev_ = p->prev_;
  timer->next_ = p;
  p->prev_->next_ = timer;
  p->prev_ = timer;
}

void TimerManager::unlink(Timer* timer) {
  if (!timer->next_)
    return;
  timer->prev_->next_ = timer->next_;
  timer->next_->prev_ = timer->prev_;
  timer->prev_ = timer->next_ = nullptr;
}

bool TimerManager::checkClock(int64_t* now) {
  *now = currentTime();
  Timer* first = earliest();
  if (!first)
    return false;
  int64_t d = msUntil(first->due_, *now);
  if (d > (int64_t)first->interval_ + 100)
    vlog.info("Time has moved backwards - restarting timers");
  else if (d < -240000)
    vlog.info("Time has jumped forwards - restarting timers");
  else
    return false;

  *now = currentTime();
  std::vector<Timer*> timers;
  for (Timer* t = head_.prev_; t != &head_; t = t->prev_)
    timers.push_back(t);
  for (Timer* t : timers)
    unlink(t);
  for (Timer* t : timers) {
    t->due_ = *now + (int64_t)t->interval_ * TimeUnitsPerMs;
    insert(t);
  }
  return true;
}

// A late timer fires once and then keeps its rhythm from now, instead of
// firing in a burst to catch up.
void TimerManager::rearm(Timer* timer, int64_t* now) {
  bool jumped = checkClock(now);
  // An interval of 0 would keep the timer due for ever within one call.
  int64_t interval = (int64_t)std::max(timer->interval_, 1) * TimeUnitsPerMs;
  if (jumped) {
    timer->due_ = *now + interval;
  } else {
    timer->due_ += interval;
    if (timer->due_ <= *now)
      timer->due_ = *now + interval;
  }
  insert(timer);
}

int TimerManager::processTimers() {
  if (!earliest())
    return -1;
  int64_t now;
  checkClock(&now);
  if (now < earliest()->due_)
    return timeUntilNext();

  // Callbacks may run a nested loop that processes timers again.
  Firing firing = {nullptr, false, firing_};
  struct Pop {
    TimerManager* m;
    Firing* outer;
    ~Pop() { m->firing_ = outer; }
  } pop{this, firing_};
  firing_ = &firing;

  while (Timer* timer = earliest()) {
    if (now < timer->due_)
      break;
    unlink(timer);
    firing.timer = timer;
    firing.restarted = false;
    bool again = timer->callback_->handleTimeout(timer);
    if (!firing.timer)
      continue; // the callback deleted its timer
    if (again && !firing.restarted)
      rearm(timer, &now);
  }
  notifyObserver();
  return 0;
}

void TimerManager::timerRestarted(Timer* timer) {
  for (Firing* f = firing_; f; f = f->outer)
    if (f->timer == timer)
      f->restarted = true;
}

void TimerManager::timerGone(Timer* timer) {
  for (Firing* f = firing_; f; f = f->outer)
    if (f->timer == timer)
      f->timer = nullptr;
}

int TimerManager::timeUntilNext() {
  if (!earliest())
    return -1;
  int64_t now;
  checkClock(&now);
  return (int)std::max<int64_t>(0, msUntil(earliest()->due_, now));
}

void TimerManager::notifyObserver() {
  if (!observer_)
    return;
  Timer* first = earliest();
  int ms = first ? (int)std::max<int64_t>(0, msUntil(first->due_, currentTime())) : -1;
  observer_->nextTimeoutChanged(this, ms);
}

} // namespace plat
