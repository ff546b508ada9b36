// The main of every test program. Under Windows a crash must end the test
// at once: no error boxes, no waiting for a debugger.
//
// A test that hangs must not hang the run: given a time budget (seconds in
// KIV_TEST_BUDGET, which kiv_test sets a little under the test's CTest
// limit), a watchdog ends the program once it is spent, naming the test
// that was running. Whatever gtest is told to print (--gtest_brief), that
// line is written; under Windows so is one naming the test that crashes.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {

typedef std::chrono::steady_clock Clock;

// What the program ends with when its budget is spent.
const int WatchdogExit = 124;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Straight to the standard error, past the C library's stream and its
// lock: the thread that hung or crashed may hold it.
void say(const char* line) {
#ifdef _WIN32
  DWORD written;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, (DWORD)strlen(line), &written, nullptr);
#else
  ssize_t written = write(2, line, strlen(line));
  (void)written;
#endif
}

class Watchdog : public testing::EmptyTestEventListener {
public:
  // Without a budget it only names a test that crashes.
  explicit Watchdog(double budget)
      : budget_(budget), started_(Clock::now()),
        deadline_(started_ + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(budget))) {
    if (budget > 0)
      thread_ = std::thread([this] { watch(); });
#ifdef _WIN32
    SetUnhandledExceptionFilter(crashed);
#endif
  }

  // Called once the tests have run, before the listener is deleted.
  void stop() {
    {
      std::lock_guard<std::mutex> l(lock_);
      stopped_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
      thread_.join();
#ifdef _WIN32
    SetUnhandledExceptionFilter(nullptr);
#endif
  }

  void OnTestStart(const testing::TestInfo& test) override {
    std::lock_guard<std::mutex> l(lock_);
    running_ = std::string(test.test_suite_name()) + "." + test.name();
    testStarted_ = Clock::now();
    snprintf(crashName, sizeof(crashName), "%s", running_.c_str());
  }
  void OnTestEnd(const testing::TestInfo&) override {
    std::lock_guard<std::mutex> l(lock_);
    last_ = running_;
    running_.clear();
    snprintf(crashName, sizeof(crashName), "no test");
  }

private:
#ifdef _WIN32
  // Reads no lock and nothing on the heap: a crash may come from either.
  static LONG WINAPI crashed(EXCEPTION_POINTERS* info) {
    char line[600];
    snprintf(line, sizeof(line), "watchdog: %s ended the program with exception %08lx at %p\n",
             crashName, (unsigned long)info->ExceptionRecord->ExceptionCode,
             info->ExceptionRecord->ExceptionAddress);
    say(line);
    return EXCEPTION_CONTINUE_SEARCH;
  }
#endif
  // The running test's name for the crash handler.
  static char crashName[400];


  void watch() {
    std::unique_lock<std::mutex> l(lock_);
    if (wake_.wait_until(l, deadline_, [this] { return stopped_; }))
      return;
    Clock::time_point now = Clock::now();
    char line[600];
    if (!running_.empty())
      snprintf(line, sizeof(line),
               "watchdog: %s has run for %.1f s and the program's budget of %.0f s is spent; "
               "the program is ended\n",
               running_.c_str(), seconds(now - testStarted_), budget_);
    else
      snprintf(line, sizeof(line),
               "watchdog: the program's budget of %.0f s is spent outside any test (the last "
               "to end: %s); the program is ended\n",
               budget_, last_.empty() ? "none" : last_.c_str());
    // The line goes first: flushing what gtest buffered could block on a
    // thread that hangs holding stdout, and is given a moment at most.
    say(line);
    static std::atomic<bool> flushed{false};
    std::thread([] {
      fflush(stdout);
      flushed = true;
    }).detach();
    for (int i = 0; i < 100 && !flushed; i++)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
#ifdef _WIN32
    // Nothing of the process may run on: no DLL detach, no static
    // destructors that could wait on the hung test.
    TerminateProcess(GetCurrentProcess(), WatchdogExit);
#endif
    std::_Exit(WatchdogExit);
  }

  const double budget_;
  const Clock::time_point started_;
  const Clock::time_point deadline_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stopped_ = false;
  std::string running_;
  std::string last_;
  Clock::time_point testStarted_;
  std::thread thread_;
};

char Watchdog::crashName[400] = "no test";

// The budget in seconds; 0 for none.
double budget() {
  const char* text = getenv("KIV_TEST_BUDGET");
  if (!text || !*text)
    return 0;
  char* end = nullptr;
  double value = strtod(text, &end);
  if (*end || !(value > 0)) {
    fprintf(stderr, "KIV_TEST_BUDGET=%s is not a number of seconds; no watchdog\n", text);
    return 0;
  }
  return value;
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
#endif
  testing::InitGoogleTest(&argc, argv);
  Watchdog* watchdog = new Watchdog(budget());
  // The listener list owns it.
  testing::UnitTest::GetInstance()->listeners().Append(watchdog);
  int result = RUN_ALL_TESTS();
  watchdog->stop();
  return result;
}
