#include "plat/win/MessageQueue.h"
#include "testing/RecordingLogger.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace plat;

namespace {

// A message that owns memory, so that freeing it can be seen.
struct Note {
  int value;
  std::shared_ptr<int> payload;
};

struct Log {
  std::vector<int> seen;
};

class NoteQueue : public MessageQueue<Note, Log> {
public:
  explicit NoteQueue(Log* log) : MessageQueue(log, "NoteQueue") {}
  int repostBelow = 0; // a delivered value below it posts value + 100
  // The delivery of the value throws what the thrower throws.
  std::map<int, std::function<void()>> throwAt;
  std::function<void(int)> whileDelivering;

protected:
  void deliver(Log* log, Note& note) override {
    auto thrower = throwAt.find(note.value);
    if (thrower != throwAt.end())
      thrower->second();
    log->seen.push_back(note.value);
    if (whileDelivering)
      whileDelivering(note.value);
    if (note.value < repostBelow)
      post(Note{note.value + 100, nullptr});
  }
};

// One pass of the thread's loop, without waiting.
void serveOnce(EventManager& events) {
  MSG msg;
  events.awaitEvent(&msg, 0);
}

} // namespace

TEST(MessageQueue, PostsFromAnotherThreadArriveInOrderInOnePass) {
  EventManager events;
  Log log;
  NoteQueue queue(&log);
  std::thread poster([&] {
    for (int i = 0; i < 1000; i++)
      queue.post(Note{i, nullptr});
  });
  poster.join();
  serveOnce(events);
  ASSERT_EQ(1000u, log.seen.size());
  for (int i = 0; i < 1000; i++)
    ASSERT_EQ(i, log.seen[i]);
  // The event was reset with the pass: nothing is served again.
  serveOnce(events);
  EXPECT_EQ(1000u, log.seen.size());
}

TEST(MessageQueue, PostsDuringDeliveryGoOutInTheSamePassAndAFailureSkipsOnlyItsMessage) {
  EventManager events;
  Log log;
  NoteQueue queue(&log);
  queue.repostBelow = 3;
  queue.throwAt[2] = [] { throw Exception("refused"); };
  queue.post(Note{1, nullptr});
  queue.post(Note{2, nullptr});
  queue.post(Note{3, nullptr});
  serveOnce(events);
  EXPECT_EQ((std::vector<int>{1, 3, 101}), log.seen);
}

TEST(MessageQueue, WhateverADeliveryThrowsCostsOnlyItsMessage) {
  RecordingLogger record;
  record.attach("MessageQueue:record:0");
  EventManager events;
  Log log;
  NoteQueue queue(&log);
  queue.throwAt[2] = [] { throw std::bad_alloc(); };
  queue.throwAt[4] = [] { throw std::runtime_error("refused"); };
  queue.throwAt[6] = [] { throw 6; };
  for (int i = 1; i <= 7; i++)
    queue.post(Note{i, nullptr});
  serveOnce(events);
  EXPECT_EQ((std::vector<int>{1, 3, 5, 7}), log.seen);
  EXPECT_TRUE(record.has("MessageQueue: refused"));
  EXPECT_TRUE(record.has("MessageQueue: unknown exception"));
  // The thread goes on serving the queue.
  queue.post(Note{8, nullptr});
  serveOnce(events);
  EXPECT_EQ((std::vector<int>{1, 3, 5, 7, 8}), log.seen);
}

TEST(MessageQueue, MessagesLeftAtDestructionAreFreedNotDelivered) {
  std::shared_ptr<int> payload = std::make_shared<int>(7);
  Log log;
  {
    EventManager events;
    NoteQueue queue(&log);
    queue.post(Note{1, payload});
    queue.post(Note{2, payload});
    EXPECT_EQ(3, payload.use_count());
    EXPECT_EQ(1, events.eventCount());
  }
  EXPECT_TRUE(log.seen.empty());
  EXPECT_EQ(1, payload.use_count());
}

TEST(MessageQueue, APostFromAnotherThreadNeverWaitsForADelivery) {
  EventManager events;
  Log log;
  NoteQueue queue(&log);
  // The delivery of 1 waits (at most five seconds) until another thread's
  // post has returned, as a delivery that shows a box owned by a window of
  // the posting thread needs that thread free.
  std::atomic<bool> returned{false};
  bool inTime = false;
  std::thread poster;
  queue.whileDelivering = [&](int value) {
    if (value != 1)
      return;
    poster = std::thread([&] {
      queue.post(Note{2, nullptr});
      returned = true;
    });
    for (int i = 0; i < 500 && !returned; i++)
      Sleep(10);
    inTime = returned;
  };
  queue.post(Note{1, nullptr});
  serveOnce(events);
  poster.join();
  EXPECT_TRUE(inTime) << "the post waited for the delivery";
  EXPECT_EQ((std::vector<int>{1, 2}), log.seen); // in the same pass
}
