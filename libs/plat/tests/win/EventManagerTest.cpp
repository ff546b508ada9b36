#include "plat/Exception.h"
#include "plat/win/EventManager.h"
#include "plat/win/Handle.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

using namespace plat;

namespace {

struct Served : EventHandler {
  std::vector<HANDLE> order;
  void processEvent(HANDLE event) override { order.push_back(event); }
};

HANDLE newEvent(bool signalled) { return CreateEventW(nullptr, TRUE, signalled, nullptr); }

void drainQueue() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

struct Events : testing::Test {
  EventManager manager;
  Served served;
  void SetUp() override { drainQueue(); }
};

} // namespace

TEST_F(Events, SixtyThreeAcceptedAndTheSixtyFourthRefused) {
  std::vector<std::unique_ptr<Handle>> handles;
  for (int i = 0; i < 64; i++)
    handles.emplace_back(new Handle(newEvent(false)));
  for (int i = 0; i < 63; i++)
    EXPECT_TRUE(manager.addEvent(handles[i]->get(), &served, "e")) << i;
  EXPECT_FALSE(manager.addEvent(handles[63]->get(), &served, "e"));
  EXPECT_EQ(63, manager.eventCount());

  // A full table still waits: the last entry is served when signalled.
  SetEvent(handles[62]->get());
  MSG msg;
  EXPECT_FALSE(manager.awaitEvent(&msg, 1000));
  ASSERT_EQ(1u, served.order.size());
  EXPECT_EQ(handles[62]->get(), served.order[0]);
  for (int i = 0; i < 63; i++)
    manager.removeEvent(handles[i]->get());
}

TEST_F(Events, TwoBusyEventsTakeTurns) {
  Handle a(newEvent(true)), b(newEvent(true));
  manager.addEvent(a, &served, "a");
  manager.addEvent(b, &served, "b");
  MSG msg;
  for (int i = 0; i < 6; i++)
    EXPECT_FALSE(manager.awaitEvent(&msg, 0));
  std::vector<HANDLE> expected{a, b, a, b, a, b};
  EXPECT_EQ(expected, served.order);
  manager.removeEvent(a);
  manager.removeEvent(b);
}

TEST_F(Events, RemovingTheMiddleEntryKeepsTheOthersInOrder) {
  Handle a(newEvent(true)), b(newEvent(true)), c(newEvent(true));
  manager.addEvent(a, &served, "a");
  manager.addEvent(b, &served, "b");
  manager.addEvent(c, &served, "c");
  manager.removeEvent(b);
  MSG msg;
  for (int i = 0; i < 4; i++)
    manager.awaitEvent(&msg, 0);
  std::vector<HANDLE> expected{a, c, a, c};
  EXPECT_EQ(expected, served.order);

  try {
    manager.removeEvent(b);
    FAIL() << "removed twice";
  } catch (const Exception& e) {
    EXPECT_STREQ("Event not registered", e.str());
  }
  manager.removeEvent(a);
  manager.removeEvent(c);
}

TEST_F(Events, EmptyTableWaitsForTimeOutOrInput) {
  MSG msg;
  ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(manager.awaitEvent(&msg, 0));
  EXPECT_LT(GetTickCount64() - start, 500u);

  start = GetTickCount64();
  EXPECT_FALSE(manager.awaitEvent(&msg, 200));
  EXPECT_GE(GetTickCount64() - start, 150u);

  // No time-out: the wait ends when input arrives, and a later pass takes
  // the message.
  DWORD self = GetCurrentThreadId();
  std::thread poster([self] {
    Sleep(100);
    PostThreadMessageW(self, WM_APP + 7, 42, 0);
  });
  bool got = false;
  for (int i = 0; i < 3 && !got; i++)
    got = manager.awaitEvent(&msg, -1);
  poster.join();
  ASSERT_TRUE(got);
  EXPECT_EQ((UINT)WM_APP + 7, msg.message);
  EXPECT_EQ(42u, msg.wParam);
}

TEST_F(Events, OnePassCanServeAnEventAndReturnAMessage) {
  Handle a(newEvent(true));
  manager.addEvent(a, &served, "a");
  PostThreadMessageW(GetCurrentThreadId(), WM_APP + 1, 0, 0);
  MSG msg;
  EXPECT_TRUE(manager.awaitEvent(&msg, -1));
  EXPECT_EQ((UINT)WM_APP + 1, msg.message);
  EXPECT_EQ(1u, served.order.size());
  manager.removeEvent(a);
}

TEST_F(Events, BlockHandlersShortenTheWaitOnlyWhenTheThreadWouldSleep) {
  struct Shorten : BlockHandler {
    int to;
    std::vector<int> seen;
    void beforeBlock(int* timeoutMs) override {
      seen.push_back(*timeoutMs);
      if (*timeoutMs < 0 || *timeoutMs > to)
        *timeoutMs = to;
    }
  } first, second;
  first.to = 300;
  second.to = 0;
  manager.addBlockHandler(&first);
  manager.addBlockHandler(&second);

  MSG msg;
  ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(manager.awaitEvent(&msg, -1)); // a poll now
  EXPECT_LT(GetTickCount64() - start, 250u);
  EXPECT_EQ(std::vector<int>{-1}, first.seen);
  EXPECT_EQ(std::vector<int>{300}, second.seen);

  // A pass that finds an event never asks them.
  Handle a(newEvent(true));
  manager.addEvent(a, &served, "a");
  manager.awaitEvent(&msg, -1);
  EXPECT_EQ(1u, first.seen.size());
  manager.removeEvent(a);

  manager.removeBlockHandler(&second);
  start = GetTickCount64();
  manager.awaitEvent(&msg, 5000);
  ULONGLONG took = GetTickCount64() - start;
  EXPECT_GE(took, 250u);
  EXPECT_LT(took, 3000u);
  manager.removeBlockHandler(&first);
}

TEST_F(Events, FailedWaitThrows) {
  HANDLE stale = newEvent(false);
  CloseHandle(stale);
  manager.addEvent(stale, &served, "stale");
  MSG msg;
  try {
    manager.awaitEvent(&msg, 0);
    FAIL() << "no exception";
  } catch (const SystemException& e) {
    EXPECT_EQ(0, strncmp("awaitEvent failed", e.str(), 17)) << e.str();
  }
  manager.removeEvent(stale);
}

TEST_F(Events, AFailingPassLeavesTheMessageInTheQueue) {
  struct Throws : EventHandler {
    void processEvent(HANDLE) override { throw Exception("handler failed"); }
  } throws;
  Handle set(newEvent(true));
  HANDLE stale = newEvent(false);
  CloseHandle(stale);
  MSG msg;
  // A handler that throws with WM_APP waiting, then a failed wait with WM_QUIT.
  for (HANDLE event : {set.get(), stale}) {
    manager.addEvent(event, &throws, "fails");
    if (event == stale)
      PostQuitMessage(3);
    else
      PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    EXPECT_THROW(manager.awaitEvent(&msg, 0), Exception);
    manager.removeEvent(event);
    ASSERT_TRUE(manager.awaitEvent(&msg, 0));
    EXPECT_EQ(event == stale ? (UINT)WM_QUIT : (UINT)WM_APP, msg.message);
  }
}

TEST(EventManagerSlot, NestsPerThread) {
  std::thread([] {
    try {
      EventManager::instance();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_STREQ("no EventManager", e.str());
    }
    EventManager outer;
    {
      EventManager inner;
      EXPECT_EQ(&inner, EventManager::instance());
    }
    EXPECT_EQ(&outer, EventManager::instance());
  }).join();
}
