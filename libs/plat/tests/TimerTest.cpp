#include "plat/CurrentTime.h"
#include "plat/LogWriter.h"
#include "plat/TimerManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace plat;

namespace {

int64_t fakeNow;
int64_t fakeClock() { return fakeNow; }

const int64_t Ms = TimeUnitsPerMs;

struct Captured : Logger {
  Captured() : Logger("timercapture") { registerLogger(); }
  std::vector<std::string> lines;
  void write(int, const char*, const char* text) override { lines.push_back(text); }
};
Captured captured;

// A callback that records its firings and runs an optional action.
struct Recorder : Timer::Callback {
  explicit Recorder(std::vector<std::string>* log_, const char* name_, bool repeat_ = false)
      : log(log_), name(name_), repeat(repeat_) {}
  bool handleTimeout(Timer*) override {
    log->push_back(name);
    if (action)
      return action();
    return repeat;
  }
  std::vector<std::string>* log;
  const char* name;
  bool repeat;
  std::function<bool()> action;
};

struct Timers : testing::Test {
  ClockFunction saved;
  TimerManager manager;
  std::vector<std::string> fired;

  void SetUp() override {
    fakeNow = 130000000000000000LL; // some day in 2012
    saved = setClock(fakeClock);
    captured.lines.clear();
    LogWriter::applyLogParams("TimerManager:timercapture:100");
  }
  void TearDown() override {
    setClock(saved);
    LogWriter::applyLogParams("");
  }
  void advance(int64_t ms) { fakeNow += ms * Ms; }
};

} // namespace

TEST_F(Timers, EmptyManagerAndTimeUntilNext) {
  EXPECT_EQ(-1, manager.processTimers());
  EXPECT_EQ(-1, manager.timeUntilNext());

  Recorder r(&fired, "a");
  Timer t(&r);
  t.start(500);
  EXPECT_TRUE(t.isStarted());
  EXPECT_EQ(500, manager.processTimers());
  fakeNow += 1; // 100 ns later the wait still rounds up to whole milliseconds
  EXPECT_EQ(500, manager.timeUntilNext());
  advance(499);
  EXPECT_EQ(1, manager.timeUntilNext());
  advance(1);
  EXPECT_EQ(0, manager.processTimers());
  EXPECT_EQ(std::vector<std::string>{"a"}, fired);
  EXPECT_FALSE(t.isStarted());
  EXPECT_EQ(-1, manager.processTimers());
}

TEST_F(Timers, EqualDueTimesFireInStartOrderAndEarliestFirst) {
  Recorder a(&fired, "a"), b(&fired, "b"), c(&fired, "c"), d(&fired, "d");
  Timer ta(&a), tb(&b), tc(&c), td(&d);
  tc.start(200);
  ta.start(100);
  tb.start(100);
  td.start(100);
  tb.start(100); // restarting moves b behind d
  advance(300);
  EXPECT_EQ(0, manager.processTimers());
  EXPECT_EQ((std::vector<std::string>{"a", "d", "b", "c"}), fired);
}

TEST_F(Timers, StopAndDestroyTakeTimersOut) {
  Recorder a(&fired, "a"), b(&fired, "b");
  Timer ta(&a);
  ta.start(100);
  {
    Timer tb(&b);
    tb.start(50);
  }
  ta.stop();
  ta.stop();
  advance(200);
  EXPECT_EQ(-1, manager.processTimers());
  EXPECT_TRUE(fired.empty());
}

TEST_F(Timers, RepeatingTimerKeepsItsRhythmWithoutCatchUpBursts) {
  Recorder r(&fired, "r", true);
  Timer t(&r);
  t.start(1000);
  int64_t start = fakeNow;

  // Fired a little late: the next due time stays on the original rhythm.
  advance(1005);
  EXPECT_EQ(0, manager.processTimers());
  EXPECT_EQ(start + 2000 * Ms, t.dueTime());

  // A callback that takes 2500 ms: next due one interval after it returned,
  // and it fires once, not three times.
  r.action = [this] {
    advance(2500);
    return true;
  };
  advance(995);
  EXPECT_EQ(0, manager.processTimers());
  EXPECT_EQ(2u, fired.size());
  EXPECT_EQ(fakeNow + 1000 * Ms, t.dueTime());
  r.action = nullptr;
  EXPECT_EQ(1000, manager.processTimers());
  EXPECT_EQ(2u, fired.size());
  EXPECT_TRUE(captured.lines.empty());
}

TEST_F(Timers, ClockSetBackwardsRestartsEveryTimer) {
  Recorder a(&fired, "a"), b(&fired, "b");
  Timer ta(&a), tb(&b);
  ta.start(5000);
  tb.start(8000);
  advance(-3600 * 1000); // one hour back
  EXPECT_EQ(5000, manager.processTimers());
  ASSERT_EQ(1u, captured.lines.size());
  EXPECT_EQ("Time has moved backwards - restarting timers", captured.lines[0]);
  EXPECT_EQ(fakeNow + 5000 * Ms, ta.dueTime());
  EXPECT_EQ(fakeNow + 8000 * Ms, tb.dueTime());

  // A step back within the tolerance is no jump; one millisecond more is.
  captured.lines.clear();
  advance(-100);
  EXPECT_EQ(5100, manager.timeUntilNext());
  EXPECT_TRUE(captured.lines.empty());
  advance(-1);
  EXPECT_EQ(5000, manager.timeUntilNext());
  EXPECT_EQ(1u, captured.lines.size());
}

TEST_F(Timers, ForwardJumpRestartsOnlyBeyondFourMinutes) {
  Recorder a(&fired, "a"), b(&fired, "b");
  Timer ta(&a), tb(&b);
  ta.start(1000);
  tb.start(3000);

  // Two minutes forward: both are simply overdue and fire.
  advance(2 * 60 * 1000);
  EXPECT_EQ(0, manager.processTimers());
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), fired);
  EXPECT_TRUE(captured.lines.empty());

  // Ten minutes forward: restarted from now, nothing fires at once.
  fired.clear();
  ta.start(1000);
  tb.start(3000);
  advance(10 * 60 * 1000);
  EXPECT_EQ(1000, manager.processTimers());
  EXPECT_TRUE(fired.empty());
  ASSERT_EQ(1u, captured.lines.size());
  EXPECT_EQ("Time has jumped forwards - restarting timers", captured.lines[0]);
  EXPECT_EQ(fakeNow + 3000 * Ms, tb.dueTime());
}

TEST_F(Timers, CallbackThatRestartsOrDeletesItsOwnTimer) {
  Recorder r(&fired, "r");
  Timer t(&r);
  r.action = [&] {
    t.start(300);
    return true; // no second re-arm: the new due time stands
  };
  t.start(100);
  advance(100);
  EXPECT_EQ(0, manager.processTimers());
  EXPECT_EQ(fakeNow + 300 * Ms, t.dueTime());

  // Restarted, then stopped, by its own callback: stays stopped.
  r.action = [&] {
    t.start(50);
    t.stop();
    return true;
  };
  advance(300);
  EXPECT_EQ(0, manager.processTimers());
  EXPECT_FALSE(t.isStarted());

  // A callback deleting its timer, even when it asks to repeat.
  Recorder d(&fired, "d");
  Timer* doomed = new Timer(&d);
  d.action = [&] {
    delete doomed;
    return true;
  };
  Recorder after(&fired, "after");
  Timer ta(&after);
  doomed->start(10);
  ta.start(10);
  advance(10);
  EXPECT_EQ(0, manager.processTimers());
  EXPECT_EQ((std::vector<std::string>{"r", "r", "d", "after"}), fired);
  EXPECT_EQ(-1, manager.processTimers());
}

TEST_F(Timers, NestedPassesThatRestartOrDeleteTheOuterTimer) {
  // T's callback runs a nested pass, in which U restarts T and then deletes
  // D, whose callback runs the same way; both ask to repeat.
  Recorder rt(&fired, "t"), ru(&fired, "u"), rd(&fired, "d");
  Timer t(&rt), u(&ru);
  Timer* d = new Timer(&rd);
  rt.action = rd.action = [&] {
    manager.processTimers();
    return true;
  };
  ru.action = [&] {
    t.start(500);
    delete d;
    return false;
  };
  t.start(10);
  d->start(10);
  u.start(10);
  advance(10);
  EXPECT_EQ(0, manager.processTimers());
  EXPECT_EQ((std::vector<std::string>{"t", "d", "u"}), fired);
  // T keeps its new due time and is in the list once.
  EXPECT_EQ(fakeNow + 500 * Ms, t.dueTime());
  t.stop();
  EXPECT_EQ(-1, manager.processTimers());
}

TEST_F(Timers, ZeroIntervalRepeatDoesNotSpinForever) {
  int count = 0;
  Recorder r(&fired, "r");
  r.action = [&] { return ++count < 1000; };
  Timer t(&r);
  t.start(0);
  EXPECT_EQ(0, manager.processTimers());
  EXPECT_EQ(1, count);
}

TEST_F(Timers, ObserverHearsOfTheEarliestTimer) {
  struct Watch : TimerManager::Observer {
    std::vector<int> seen;
    void nextTimeoutChanged(TimerManager*, int ms) override { seen.push_back(ms); }
  } watch;
  TimerManager inner(&watch);
  Recorder a(&fired, "a"), b(&fired, "b");
  Timer ta(&a), tb(&b);
  ta.start(100);
  tb.start(500); // not the earliest: no word
  ta.stop();
  advance(500);
  inner.processTimers();
  EXPECT_EQ((std::vector<int>{100, 500, -1}), watch.seen);
}

TEST(TimerManagerNesting, InstanceSlotFollowsConstructionAndDestruction) {
  EXPECT_EQ(nullptr, TimerManager::threadInstanceOrNull());
  try {
    TimerManager::instance();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ("no TimerManager", e.str());
  }
  struct Never : Timer::Callback {
    bool handleTimeout(Timer*) override { return false; }
  } never;
  Timer t(&never);
  try {
    t.start(10);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ("no TimerManager", e.str());
  }

  {
    TimerManager outer;
    {
      TimerManager inner;
      EXPECT_EQ(&inner, TimerManager::instance());
    }
    EXPECT_EQ(&outer, TimerManager::instance());
  }
  EXPECT_EQ(nullptr, TimerManager::threadInstanceOrNull());

  // Destroyed out of order: logged, and the slot is left alone. The slot
  // then names a dead manager, so this runs on a thread of its own.
  captured.lines.clear();
  LogWriter::applyLogParams("TimerManager:timercapture:0");
  std::thread([] {
    TimerManager* first = new TimerManager;
    TimerManager* second = new TimerManager;
    delete first;
    EXPECT_EQ(second, TimerManager::threadInstanceOrNull());
    delete second;
  }).join();
  EXPECT_EQ(std::vector<std::string>{"out-of-sequence dtor"}, captured.lines);
  LogWriter::applyLogParams("");
}
