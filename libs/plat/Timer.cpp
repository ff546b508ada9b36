#include "plat/Timer.h"
#include "plat/CurrentTime.h"
#include "plat/Exception.h"
#include "plat/TimerManager.h"

namespace plat {

Timer::Timer(Callback* callback)
    : due_(0), interval_(0), callback_(callback), prev_(nullptr), next_(nullptr) {}

Timer::Timer() : due_(0), interval_(0), callback_(nullptr), prev_(this), next_(this) {}

Timer::~Timer() {
  if (callback_ == nullptr && next_ == this)
    return; // a list head
  stop();
  if (TimerManager* manager = TimerManager::threadInstanceOrNull())
    manager->timerGone(this);
}

void Timer::start(int intervalMs) {
  TimerManager* manager = TimerManager::threadInstanceOrNull();
  stop();
  if (!manager)
    throw Exception("no TimerManager");
  interval_ = intervalMs;
  int64_t now;
  manager->checkClock(&now);
  due_ = now + (int64_t)intervalMs * TimeUnitsPerMs;
  manager->insert(this);
  manager->timerRestarted(this);
  if (manager->earliest() == this)
    manager->notifyObserver();
}

void Timer::stop() {
  if (!next_)
    return;
  TimerManager* manager = TimerManager::threadInstanceOrNull();
  bool wasEarliest = manager && manager->earliest() == this;
  TimerManager::unlink(this);
  if (wasEarliest)
    manager->notifyObserver();
}

} // namespace plat
