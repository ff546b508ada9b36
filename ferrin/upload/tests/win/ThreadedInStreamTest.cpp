#include "ferrin/upload/win/ThreadedInStream.h"
#include "plat/TimerManager.h"
#include "rdr/BufferedInStream.h"
#include "StreamDrain.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <new>
#include <utility>
#include <vector>

using ft::ThreadedInStream;
using testing_support::drain;
using testing_support::pattern;

namespace {

// A blocking source that hands out its data slowly, in small pieces, and
// may fail (throw whatever failure throws) instead of ending.
class SlowSource : public rdr::BufferedInStream {
public:
  SlowSource(std::string data, int piece, int delayMs, std::function<void()> failure = nullptr)
      : data(std::move(data)), piece(piece), delayMs(delayMs), failure(std::move(failure)) {}

protected:
  int readData(uint8_t* buffer, int length) override {
    Sleep(delayMs);
    if (at == data.size()) {
      if (failure)
        failure();
      throw rdr::EndOfStream();
    }
    int n = (int)std::min<size_t>({(size_t)length, (size_t)piece, data.size() - at});
    memcpy(buffer, data.data() + at, n);
    at += n;
    return n;
  }

private:
  std::string data;
  size_t at = 0;
  int piece;
  int delayMs;
  std::function<void()> failure;
};

struct HandlerRecord {
  int wakes = 0;
  bool released = false;
};

class TestHandler : public ThreadedInStream::Handler {
public:
  explicit TestHandler(HandlerRecord* record) : record(record) {}
  void processEvent(HANDLE event) override {
    ResetEvent(event);
    record->wakes++;
  }
  void release(rdr::InStream* source) override {
    delete source;
    record->released = true;
    delete this;
  }

private:
  HandlerRecord* record;
};

class ThreadedTest : public testing::Test {
protected:
  std::unique_ptr<ThreadedInStream> open(rdr::InStream* source) {
    std::unique_ptr<ThreadedInStream> in(new ThreadedInStream(source, new TestHandler(&record)));
    in->start();
    return in;
  }
  plat::EventManager events;
  plat::TimerManager timers;
  HandlerRecord record;
};

} // namespace

TEST_F(ThreadedTest, ReadsASlowSourceAheadInOrder) {
  // More than the read-ahead buffer holds, so the reader waits for room.
  std::string data = pattern(3 * ThreadedInStream::BufferSize + 1234);
  {
    auto in = open(new SlowSource(data, 7000, 1));
    auto got = drain(*in, 60000);
    EXPECT_TRUE(got.ended) << got.failure;
    EXPECT_EQ(data.size(), got.data.size());
    EXPECT_TRUE(got.data == data);
    EXPECT_GT(record.wakes, 0);
    EXPECT_EQ(got.data.size(), (size_t)(uint32_t)in->pos());
  }
  EXPECT_TRUE(record.released);
  EXPECT_EQ(0, events.eventCount());
}

TEST_F(ThreadedTest, AnEmptySourceEndsOnTheFirstReadAfterTheReaderFinished) {
  auto in = open(new SlowSource("", 1, 0));
  auto got = drain(*in);
  EXPECT_TRUE(got.ended);
  EXPECT_EQ("", got.data);
}

TEST_F(ThreadedTest, AFailingSourceIsNotTakenForAShortFile) {
  auto in = open(new SlowSource("abc", 2, 0, [] { throw plat::Exception("disk on fire"); }));
  auto got = drain(*in);
  EXPECT_FALSE(got.ended);
  EXPECT_EQ("abc", got.data);
  EXPECT_EQ("disk on fire", got.failure);
}

TEST_F(ThreadedTest, WhateverTheSourceThrowsFailsTheStream) {
  // Not plat::Exceptions: the reading thread must not end without a word,
  // or the upload would wait for ever.
  std::vector<std::pair<std::function<void()>, std::string>> throws = {
      {[] { throw std::bad_alloc(); }, "std::bad_alloc"},
      {[] { throw 42; }, "unknown exception"}};
  for (const auto& thrown : throws) {
    auto in = open(new SlowSource("abc", 2, 0, thrown.first));
    auto got = drain(*in);
    EXPECT_FALSE(got.ended) << thrown.second;
    EXPECT_EQ("abc", got.data) << thrown.second;
    EXPECT_EQ(thrown.second, got.failure);
  }
}

TEST_F(ThreadedTest, AStreamFreedWhileItsReaderWaitsForRoomStops) {
  std::string data = pattern(4 * ThreadedInStream::BufferSize);
  auto in = open(new SlowSource(data, 65536, 0));
  // Let the reader fill the buffer and wait for room, then give up.
  testing_support::pumpUntil([&] { return record.wakes > 0; }, 10000);
  Sleep(50);
  in.reset();
  EXPECT_TRUE(record.released);
}

TEST_F(ThreadedTest, AStreamFreedBeforeItStartedCleansUp) {
  std::unique_ptr<ThreadedInStream> in(
      new ThreadedInStream(new SlowSource("x", 1, 0), new TestHandler(&record)));
  in.reset();
  EXPECT_TRUE(record.released);
  EXPECT_EQ(0, events.eventCount());
}
