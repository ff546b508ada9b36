#include "plat/LogWriter.h"
#include "plat/win/Thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <regex>

using namespace plat;

namespace {

struct StepLogger : Logger {
  StepLogger() : Logger("threadsteps") { registerLogger(); }
  Mutex lock;
  std::vector<std::string> lines;
  void write(int, const char*, const char* text) override {
    Lock l(lock);
    lines.push_back(text);
  }
  // The step words logged for the thread with this name.
  std::vector<std::string> stepsOf(const std::string& name) {
    Lock l(lock);
    std::vector<std::string> steps;
    for (const std::string& line : lines) {
      std::string step = line.substr(0, 16);
      std::string rest = line.substr(17);
      if (rest.compare(0, name.size() + 1, name + "(") == 0) {
        step.erase(step.find_last_not_of(' ') + 1);
        steps.push_back(step);
      }
    }
    return steps;
  }
};

StepLogger steps;

struct Logging : testing::Test {
  void SetUp() override {
    steps.lines.clear();
    LogWriter::applyLogParams("Threading:threadsteps:100");
  }
  void TearDown() override { LogWriter::applyLogParams(""); }
};

struct Counter : Thread {
  explicit Counter(const char* name) : Thread(name) {}
  ~Counter() override { join(); }
  std::atomic<int> runs{0};
  void run() override { runs++; }
};

struct Thrower : Thread {
  Thrower() : Thread("Thrower") {}
  void run() override { throw Exception("it broke"); }
};

// Throws what is not an exception of ours, nor a standard one.
struct OddThrower : Thread {
  OddThrower() : Thread("OddThrower") {}
  void run() override { throw 7; }
};

struct Gate {
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ~Gate() { CloseHandle(go); }
};

struct Waiter : Thread {
  Waiter(Gate& g, std::atomic<bool>& done) : Thread("Waiter"), gate(g), finished(done) {}
  ~Waiter() override { finished = true; }
  Gate& gate;
  std::atomic<bool>& finished;
  void run() override { WaitForSingleObject(gate.go, INFINITE); }
};

} // namespace

TEST_F(Logging, LifeCycleOfAJoinedThread) {
  {
    Counter t("Counter");
    t.start();
    t.start(); // a second start does nothing
    while (t.getState() != Thread::Finished)
      Sleep(5);
    t.join();
    EXPECT_EQ(1, t.runs.load());
    t.join();
    EXPECT_EQ(Thread::Joined, t.getState());
  }
  std::vector<std::string> s = steps.stepsOf("Counter");
  EXPECT_EQ((std::vector<std::string>{"created", "started", "stopped", "joining", "joined",
                                      "already joined", "already joined", "destroying",
                                      "already joined", "times", "destroyed"}),
            s);
}

TEST_F(Logging, NeverStartedThread) {
  { Thread t("Idle"); }
  EXPECT_EQ((std::vector<std::string>{"created", "destroying", "joined [not star", "times",
                                      "destroyed"}),
            steps.stepsOf("Idle"));
}

TEST_F(Logging, LineFormatCarriesTheWholeAddress) {
  Counter* t = new Counter("Fmt");
  std::string first = steps.lines.at(0);
  char expected[128];
  snprintf(expected, sizeof(expected), "created          Fmt(%llx): ",
           (unsigned long long)(uintptr_t)t);
  EXPECT_EQ(expected, first);
  delete t;
}

TEST_F(Logging, ExceptionFromRunIsLoggedAsFailed) {
  {
    Thrower t;
    t.start();
    t.join();
  }
  bool found = false;
  for (const std::string& line : steps.lines)
    if (line.find("failed           Thrower(") == 0 && line.find("): it broke") != std::string::npos)
      found = true;
  EXPECT_TRUE(found);
}

TEST_F(Logging, AnyExceptionFromRunEndsTheThreadLogged) {
  {
    OddThrower t;
    t.start();
    t.join();
    EXPECT_EQ(Thread::Joined, t.getState());
  }
  bool found = false;
  for (const std::string& line : steps.lines)
    if (line.find("failed           OddThrower(") == 0 &&
        line.find("): unknown exception") != std::string::npos)
      found = true;
  EXPECT_TRUE(found);
}

TEST_F(Logging, DetachRunningThreadDeletesItselfAfterStopping) {
  Gate gate;
  std::atomic<bool> finished{false};
  Waiter* w = new Waiter(gate, finished);
  w->start();
  w->detach();
  EXPECT_FALSE(finished.load());
  SetEvent(gate.go);
  for (int i = 0; i < 500 && !finished; i++)
    Sleep(10);
  EXPECT_TRUE(finished.load());
  Sleep(50);
  std::vector<std::string> s = steps.stepsOf("Waiter");
  // "started" is logged by the new thread and may come before or after "detach".
  s.erase(std::remove(s.begin(), s.end(), "started"), s.end());
  EXPECT_EQ((std::vector<std::string>{"created", "detach", "stopped", "destroying",
                                      "times", "destroyed"}),
            s);
}

TEST_F(Logging, DetachFinishedThreadDeletesAtOnce) {
  Gate gate;
  std::atomic<bool> finished{false};
  Waiter* w = new Waiter(gate, finished);
  SetEvent(gate.go);
  w->start();
  while (w->getState() != Thread::Finished)
    Sleep(5);
  w->detach();
  EXPECT_TRUE(finished.load());
}

TEST(Thread, SelfOnAForeignThreadIsOneNativeWrapper) {
  Thread* a = Thread::self();
  EXPECT_EQ(a, Thread::self());
  EXPECT_STREQ("Native", a->getName());
  EXPECT_EQ(Thread::Native, a->getState());
  EXPECT_EQ(GetCurrentThreadId(), a->getThreadId());
}

TEST(Condition, WaitTimesOutAndSignalWakes) {
  Mutex m;
  Condition c(&m);
  Lock l(m);
  EXPECT_FALSE(c.wait(20));
  c.signal(); // nobody waiting: nothing happens

  struct Signaller : Thread {
    Signaller(Mutex& m_, Condition& c_) : Thread("Signaller"), m(m_), c(c_) {}
    ~Signaller() override { join(); }
    Mutex& m;
    Condition& c;
    void run() override {
      Sleep(30);
      Lock l(m);
      c.signal();
    }
  } s(m, c);
  s.start();
  EXPECT_TRUE(c.wait(10000));
}
