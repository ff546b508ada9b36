#include "rdr/BufferedOutStream.h"
#include "rdr/Parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A sink that accepts nothing unless the writer is prepared to wait; then it
// takes a limited chunk, as a slow peer does.
class SlowSink : public rdr::BufferedOutStream {
public:
  explicit SlowSink(int bufferSize = 0) : rdr::BufferedOutStream(bufferSize) {}
  std::vector<uint8_t> received;
  int acceptWithoutWait = 0;
  int waits = 0;
  int chunk = 1 << 30;
  bool keep = true;
  int calls = 0;
  int most = 0; // what one call takes; 0: the buffer's size

protected:
  int sendSize() const override { return most ? most : rdr::BufferedOutStream::sendSize(); }
  int writeData(const uint8_t* buffer, int length, bool wait) override {
    calls++;
    int n;
    if (wait) {
      waits++;
      n = length < chunk ? length : chunk;
    } else {
      n = length < acceptWithoutWait ? length : acceptWithoutWait;
      acceptWithoutWait -= n;
    }
    if (keep)
      received.insert(received.end(), buffer, buffer + n);
    return n;
  }
};

// Sets MaxOutBufferSize for one test.
struct MaxOutBuffer {
  explicit MaxOutBuffer(int value) { rdr::maxOutBufferSize.setValue(value, plat::PriorityUser); }
  ~MaxOutBuffer() { rdr::maxOutBufferSize.removeValue(plat::PriorityUser); }
};

std::vector<uint8_t> pattern(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; i++)
    v[i] = (uint8_t)(i * 7 + i / 251);
  return v;
}

} // namespace

TEST(BufferedOutStream, GrowsByDoublingUpToTheCapBeforeWaiting) {
  MaxOutBuffer cap(131072);
  SlowSink out(16384);
  std::vector<uint8_t> data = pattern(200000);
  // While nothing has gone out, avail + length is the buffer's capacity.
  std::vector<int> capacities = {out.avail() + out.length()};
  size_t written = 0;
  while (written < data.size()) {
    int n = (int)std::min<size_t>(1000, data.size() - written);
    out.write(data.data() + written, n);
    written += n;
    if (out.waits > 0)
      break;
    if (out.avail() + out.length() != capacities.back())
      capacities.push_back(out.avail() + out.length());
  }
  const std::vector<int> expected = {16384, 32768, 65536, 131072};
  EXPECT_EQ(expected, capacities);
  EXPECT_GT(written, 131072u); // the first wait came only with the cap reached
  out.write(data.data() + written, (int)(data.size() - written));
  out.flush();
  EXPECT_EQ(data, out.received);
  EXPECT_EQ(200000, out.length());
}

TEST(BufferedOutStream, AnItemLargerThanTheCapGrowsTheBuffer) {
  MaxOutBuffer cap(1024);
  SlowSink out(512);
  out.chunk = 100;
  std::vector<uint8_t> head = pattern(300);
  out.write(head.data(), (int)head.size());
  // One item of 5000 bytes must fit the window whole: before, the writer
  // drained the capped buffer and then looped for ever.
  int fit = out.overrun(5000, 1);
  EXPECT_EQ(1, fit);
  ASSERT_GE(out.getend() - out.getptr(), 5000);
  std::vector<uint8_t> item = pattern(5000);
  memcpy(out.getptr(), item.data(), item.size());
  out.setptr(out.getptr() + item.size());
  out.flush();
  ASSERT_EQ(5300u, out.received.size());
  EXPECT_TRUE(std::equal(head.begin(), head.end(), out.received.begin()));
  EXPECT_TRUE(std::equal(item.begin(), item.end(), out.received.begin() + 300));
}

TEST(BufferedOutStream, NoWaitFlushLeavesTheRestPending) {
  SlowSink out(64);
  out.setNoWait(true);
  out.writeU32(0x01020304);
  out.writeU32(0x05060708);
  out.acceptWithoutWait = 3;
  out.flush();
  EXPECT_TRUE(out.hasPending());
  EXPECT_EQ(3u, out.received.size());
  EXPECT_EQ(64 - 8 + 3, out.avail());
  EXPECT_FALSE(out.flushSome(false));
  EXPECT_TRUE(out.flushSome(true));
  EXPECT_FALSE(out.hasPending());
  const std::vector<uint8_t> expected = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(expected, out.received);
  EXPECT_EQ(8, out.length());
}

TEST(BufferedOutStream, FlushWholeSendsWholeSendsOnlyAndStopsOnceRefused) {
  SlowSink out(256); // a whole send: three quarters of the buffer
  out.setNoWait(true);
  out.acceptWithoutWait = 1000;
  std::vector<uint8_t> data = pattern(402);
  out.write(data.data(), 191);
  out.flushWhole();
  EXPECT_EQ(0u, out.received.size());
  out.write(data.data() + 191, 1);
  out.flushWhole();
  EXPECT_EQ(192u, out.received.size());
  EXPECT_FALSE(out.hasPending());

  out.acceptWithoutWait = 0; // the socket is full
  out.write(data.data() + 192, 200);
  out.flushWhole();
  EXPECT_TRUE(out.isBlocked());
  out.acceptWithoutWait = 1000;
  out.write(data.data() + 392, 10);
  out.flushWhole(); // not tried again: that waits until room is reported
  EXPECT_EQ(192u, out.received.size());
  EXPECT_TRUE(out.flushSome(false));
  EXPECT_FALSE(out.isBlocked());
  EXPECT_EQ(data, out.received);
}

TEST(BufferedOutStream, WholeSendsWaitForTheNextWhileOneCallTakesThem) {
  SlowSink out(256); // whole sends of 192, held back up to 1024 bytes
  out.most = 1 << 20;
  out.setNoWait(true);
  out.acceptWithoutWait = 1 << 20;
  std::vector<uint8_t> data = pattern(3000);
  std::vector<int> rooms;
  for (int i = 0; i < 20; i++) {
    out.write(data.data() + i * 50, 50);
    out.flushWhole();
    rooms.push_back(out.avail());
  }
  // Three whole sends of 200 waited; the fourth would have left no room, so
  // all four went in one call.
  EXPECT_EQ(1, out.calls);
  EXPECT_EQ(800u, out.received.size());
  EXPECT_EQ((std::vector<int>{206, 156, 106, 256, 206, 156, 106, 256, 206, 156, 106, 256, 206, 156,
                              106, 256, 206, 156, 106, 256}),
            rooms);

  // The socket takes part of what waits: the rest, held back or not, stays
  // in order before what follows.
  for (int i = 20; i < 30; i++) {
    out.write(data.data() + i * 50, 50);
    out.flushWhole();
  }
  out.acceptWithoutWait = 130;
  out.flushSome(false);
  EXPECT_EQ(930u, out.received.size());
  out.write(data.data() + 1500, 1500);
  EXPECT_EQ(3000, out.length());
  out.acceptWithoutWait = 1 << 20;
  EXPECT_TRUE(out.flushSome(false));
  EXPECT_EQ(data, out.received);

  // flushHeld() lets a whole send held back go at once, with what follows.
  SlowSink next(256);
  next.most = 1 << 20;
  next.setNoWait(true);
  next.acceptWithoutWait = 1 << 20;
  next.write(data.data(), 250);
  next.flushWhole();
  next.write(data.data(), 10);
  EXPECT_EQ(0, next.calls);
  next.flushHeld();
  EXPECT_FALSE(next.hasPending());
  EXPECT_EQ(260u, next.received.size());
}

TEST(BufferedOutStream, LengthCountsPast4GiB) {
  SlowSink out(1 << 20);
  out.keep = false;
  out.acceptWithoutWait = 1 << 30;
  const int64_t total = 5LL << 30;
  int64_t done = 0;
  while (done < total) {
    if (out.getptr() == out.getend()) {
      out.acceptWithoutWait = 1 << 30;
      out.overrun(1, 1);
    }
    int64_t room = out.getend() - out.getptr();
    out.setptr(out.getptr() + room); // committed in place, never copied
    done += room;
  }
  EXPECT_EQ(rdr::wrapPos(done), out.length());
}

TEST(BufferedOutStream, TraceDumpsWrittenBytes) {
  SlowSink out;
  out.setTrace(true);
  out.write("abcde", 5);
  testing::internal::CaptureStderr();
  out.flush();
  std::string dump = testing::internal::GetCapturedStderr();
  EXPECT_EQ(" --> 61 62 63 64  65 " + std::string(36, ' ') + "abcde\n", dump);
}
