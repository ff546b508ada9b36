#include "io/Parameters.h"
#include "io/win/FdListener.h"
#include "io/win/TcpTarget.h"
#include "plat/CallCounter.h"
#include "plat/win/Handle.h"
#include "rdr/Exception.h"
#include "rdr/win/FdInStream.h"
#include "rdr/win/FdOutStream.h"
#include "win/IoLoop.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

using namespace io_testing;

namespace {

// Two ends of a loopback connection: client made by a blocking connect and
// not registered, server accepted.
struct FdPair : IoLoop {
  io::TcpListener listener{0, true};
  Accepted accepted;
  io::FdIo* client = nullptr;
  io::FdIo* server = nullptr;

  void SetUp() override {
    listener.setAcceptor(&accepted);
    client = io::TcpTarget("127.0.0.1", listener.port()).connect();
    ASSERT_TRUE(pumpUntil([&] { return accepted.ios.size() == 1; }));
    server = accepted.ios[0];
  }
  void TearDown() override {
    delete client;
    io::lazyFlushTimeout.removeValue(plat::PriorityUser);
  }

  // Fills the server's output with blocks of 64 KiB while the client reads
  // nothing; small socket buffers keep most of it in the stream (and let
  // the client take it only slowly, a few hundred KiB a second). 3 MB at
  // most: below MaxOutBufferSize, so no write waits.
  void stallServerOutput(int blocks = 48) {
    int small = 8192;
    setsockopt(client->fd(), SOL_SOCKET, SO_RCVBUF, (const char*)&small, sizeof(small));
    setsockopt(server->fd(), SOL_SOCKET, SO_SNDBUF, (const char*)&small, sizeof(small));
    std::vector<uint8_t> block(64 * 1024, 0x5a);
    for (int i = 0; i < blocks; i++)
      server->outStream().write(block.data(), (int)block.size());
    server->outStream().flush();
    ASSERT_TRUE(server->outStream().hasPending());
  }

  // Sends more of the server's pending output with the stream's own flush,
  // not the manager's (as a socket server flushes on a wake); the client
  // takes what the socket needs gone to take more. False when nothing moves.
  bool flushOutsideTheManager() {
    rdr::FdOutStream& out = server->outStream();
    int64_t sent = out.sentLength();
    char buf[16 * 1024];
    while (out.hasPending() && out.sentLength() == sent) {
      fd_set readSet, writeSet;
      FD_ZERO(&readSet);
      FD_ZERO(&writeSet);
      FD_SET(client->fd(), &readSet);
      FD_SET(server->fd(), &writeSet);
      timeval tv = {5, 0};
      if (select(0, &readSet, &writeSet, nullptr, &tv) <= 0)
        return false;
      if (FD_ISSET(client->fd(), &readSet) && recv(client->fd(), buf, sizeof(buf), 0) <= 0)
        return false;
      if (FD_ISSET(server->fd(), &writeSet))
        out.flush();
    }
    return true;
  }
};

// Ends a hung test: closes the peer's socket after a while, which makes a
// send blocked on the other end fail.
class Watchdog {
public:
  Watchdog(SOCKET peer, int ms)
      : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), fired_(false),
        thread_([this, peer, ms] {
          if (WaitForSingleObject(done_, ms) == WAIT_TIMEOUT) {
            fired_ = true;
            closesocket(peer);
          }
        }) {}
  ~Watchdog() {
    SetEvent(done_);
    thread_.join();
    CloseHandle(done_);
  }
  bool fired() const { return fired_; }

private:
  HANDLE done_;
  std::atomic<bool> fired_;
  std::thread thread_;
};

// A readable handler that appends what has arrived to got.
std::function<void(io::Io*)> appendTo(std::string* got) {
  return [got](io::Io* io) {
    rdr::InStream& in = io->inStream();
    while (in.check(false, 1)) {
      got->append((const char*)in.getptr(), in.avail());
      in.skip(in.avail());
    }
  };
}

} // namespace

TEST_F(FdPair, HandlerThatThrowsInReadableIsToldClosed) {
  handler.onReadable = [](io::Io*) { throw plat::Exception("bad message"); };
  server->setHandler(&handler, true);
  client->outStream().writeU8(1);
  client->outStream().flush();
  ASSERT_TRUE(pumpUntil([&] { return handler.closedCount == 1; }));
  EXPECT_NE(handler.seen.end(), std::find(handler.seen.begin(), handler.seen.end(), "readable"));
  EXPECT_EQ("closed", handler.seen.back());
}

TEST_F(FdPair, SecondSetHandlerChangesOnlyTheHandler) {
  std::string got;
  other.onReadable = appendTo(&got);
  server->setHandler(&handler, true);
  server->setHandler(&other, true);
  client->outStream().write("hello", 5);
  client->outStream().flush();
  ASSERT_TRUE(pumpUntil([&] { return got == "hello"; }));
  for (const std::string& s : handler.seen)
    EXPECT_NE("readable", s);
}

TEST_F(FdPair, ShutdownTwiceCleansUpOnce) {
  server->setHandler(&handler, true);
  server->shutdown(true, true);
  server->shutdown(false, true);
  server->shutdown(true, true);
  ASSERT_TRUE(pumpUntil([&] { return handler.closedCount > 0; }));
  testing_support::pumpFor(200);
  EXPECT_EQ(1, handler.closedCount);

  // The io is gone: the client sees the end of the stream.
  EXPECT_THROW(client->inStream().readU8(), rdr::EndOfStream);
}

TEST_F(FdPair, PeerClosingWhileIdleReachesTheHandler) {
  handler.onReadable = [](io::Io* io) {
    try {
      while (io->inStream().check(false, 1))
        io->inStream().skip(io->inStream().avail());
    } catch (rdr::EndOfStream&) {
      io->shutdown(false, true);
    }
  };
  server->setHandler(&handler, true);
  testing_support::pumpFor(100); // idle: the first writable has come and gone
  delete client;
  client = nullptr;
  ASSERT_TRUE(pumpUntil([&] { return handler.closedCount == 1; }));
}

// A selector that reports nothing by itself, as Winsock after a new mask
// has dropped the events it had recorded: only the manager's own look at
// the socket can find the peer's close.
TEST_F(FdPair, ReselectingStillNoticesAPeerCloseThatCameMeanwhile) {
  struct Forgetful : io::FdSelector {
    std::vector<std::string> masks;
    void selectIo(io::FdIo*, bool read, bool write) override {
      masks.push_back(std::string(read ? "r" : "") + (write ? "w" : ""));
    }
    void selectListener(io::FdListener*, bool, bool) override {}
  } selector;
  io::FdSelectManager manager(&selector);
  handler.onReadable = [](io::Io* io) {
    try {
      while (io->inStream().check(false, 1))
        io->inStream().skip(io->inStream().avail());
    } catch (rdr::EndOfStream&) {
      io->shutdown(false, true);
    }
  };
  server->setHandler(&handler, true); // found writable at once
  delete client;
  client = nullptr;
  Sleep(200);
  manager.dispatch(); // writable: write is no longer watched
  manager.dispatch();
  EXPECT_EQ((std::vector<std::string>{"rw", "r", ""}), selector.masks);
  EXPECT_EQ((std::vector<std::string>{"writable", "readable", "closed"}), handler.seen);
}

TEST_F(FdPair, ShutdownWithFlushToAPeerThatReadsNothingEndsAfterLazyFlushTimeout) {
  io::lazyFlushTimeout.setValue(1, plat::PriorityUser);
  server->setHandler(&handler, true);
  stallServerOutput();
  Watchdog watchdog(client->fd(), 20000);
  ULONGLONG start = GetTickCount64();
  server->shutdown(true, true);
  ASSERT_TRUE(pumpUntil([&] { return handler.closedCount == 1; }, 15000));
  ULONGLONG took = GetTickCount64() - start;
  EXPECT_FALSE(watchdog.fired()) << "the thread hung deleting the io";
  EXPECT_GE(took, 900u);
  EXPECT_LT(took, 10000u);
}

TEST_F(FdPair, OutputStuckForLazyFlushTimeoutEndsTheConnection) {
  io::lazyFlushTimeout.setValue(1, plat::PriorityUser);
  server->setHandler(&handler, true);
  Watchdog watchdog(client->fd(), 20000);
  stallServerOutput(); // written, not shut down
  ASSERT_TRUE(pumpUntil([&] { return handler.closedCount == 1; }, 15000));
  EXPECT_FALSE(watchdog.fired()) << "the thread hung deleting the io";
}

// A handler may empty its output by itself (the socket server flushes on a
// wake and while it reads): a connection that blocked once and still
// receives outlives the stall timer; output stuck again later still ends it.
TEST_F(FdPair, OutputEmptiedOutsideTheManagerIsNotClosedAsStalled) {
  io::lazyFlushTimeout.setValue(1, plat::PriorityUser);
  size_t got = 0;
  handler.onReadable = [&](io::Io* io) {
    rdr::InStream& in = io->inStream();
    while (in.check(false, 1)) {
      got += in.avail();
      in.skip(in.avail());
      in.checkpoint();
    }
  };
  server->setHandler(&handler, true);
  Watchdog watchdog(client->fd(), 30000);
  stallServerOutput(4);
  testing_support::pumpFor(100); // the thread sleeps: the stall timer runs
  while (server->outStream().hasPending())
    ASSERT_TRUE(flushOutsideTheManager());

  // Three timeouts while data comes in.
  for (int i = 0; i < 30 && handler.closedCount == 0; i++) {
    client->outStream().writeU8('x');
    client->outStream().flush();
    testing_support::pumpFor(100);
  }
  ASSERT_EQ(0, handler.closedCount);
  EXPECT_TRUE(pumpUntil([&] { return got == 30; }));
  stallServerOutput(4);
  EXPECT_TRUE(pumpUntil([&] { return handler.closedCount == 1; }, 15000));
  EXPECT_FALSE(watchdog.fired());
}

// Output that stays pending but moves only by the stream's own flushes (the
// manager pushes nothing: it has no selector and dispatches once) is not
// stalled; once nothing moves for a timeout, it is.
TEST_F(FdPair, OutputMovingOnlyOutsideTheManagerIsNotClosedAsStalled) {
  io::lazyFlushTimeout.setValue(1, plat::PriorityUser);
  io::FdSelectManager manager;
  server->setHandler(&handler, true);
  Watchdog watchdog(client->fd(), 30000);
  stallServerOutput();
  manager.dispatch(); // the output waits for room: the stall timer runs

  // Every pass of the timers comes after some progress; the sleep only
  // keeps what moves well below what is pending.
  ULONGLONG start = GetTickCount64();
  while (GetTickCount64() - start < 3500 && handler.closedCount == 0) {
    ASSERT_TRUE(flushOutsideTheManager());
    timers.processTimers();
    Sleep(250);
  }
  ASSERT_EQ(0, handler.closedCount);
  ASSERT_TRUE(server->outStream().hasPending());

  EXPECT_TRUE(pumpUntil([&] { return handler.closedCount == 1; }, 15000));
  EXPECT_FALSE(watchdog.fired());
}

TEST_F(FdPair, LazyFlushTimeoutBeyondIntMillisecondsStillWaits) {
  io::lazyFlushTimeout.setValue(3000000, plat::PriorityUser); // 34 days
  server->setHandler(&handler, true);
  Watchdog watchdog(client->fd(), 20000);
  stallServerOutput();
  testing_support::pumpFor(1500);
  EXPECT_EQ(0, handler.closedCount);
  server->shutdown(false, true);
  ASSERT_TRUE(pumpUntil([&] { return handler.closedCount == 1; }));
  EXPECT_FALSE(watchdog.fired());
}

namespace {

uint64_t count(const char* name) {
  plat::CallCounter* counter = plat::CallCounter::find(name);
  return counter ? counter->value() : 0;
}

// What the unregistered client end has received, waiting up to ms for
// length bytes.
std::string receive(io::FdIo* client, size_t length, int ms) {
  std::string got;
  char buf[256];
  while (got.size() < length) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(client->fd(), &set);
    timeval tv = {ms / 1000, (ms % 1000) * 1000};
    if (select(0, &set, nullptr, nullptr, &tv) != 1)
      break;
    int n = recv(client->fd(), buf, sizeof(buf), 0);
    if (n <= 0)
      break;
    got.append(buf, n);
  }
  return got;
}

} // namespace

// Written and not flushed, output still leaves before the thread sleeps;
// the handler is told writable while only that little is pending, and what
// it adds goes in the same send.
TEST_F(FdPair, BufferedOutputLeavesBeforeTheThreadWaitsWithWhatTheHandlerAdds) {
  server->setHandler(&handler, true);
  ASSERT_TRUE(pumpUntil([&] { return !handler.seen.empty(); }));
  handler.onWritable = [&](io::Io* io) {
    io->outStream().write(" world", 6);
    handler.onWritable = nullptr;
  };
  uint64_t sends = count("send");
  server->outStream().write("hello", 5);
  ASSERT_TRUE(pumpUntil([&] { return !server->outStream().hasPending() && handler.seen.size() > 1; }));
  EXPECT_EQ("hello world", receive(client, 11, 5000));
  EXPECT_EQ(1u, count("send") - sends);
}

// Output the socket refuses waits for it to report room (watching for it
// may report some at once): no send is tried again in every pass.
TEST_F(FdPair, RefusedOutputIsNotSentAgainInEveryPass) {
  server->setHandler(&handler, true);
  stallServerOutput();
  ASSERT_TRUE(server->outStream().isBlocked());
  uint64_t refused = count("send.blocked");
  uint64_t passes = count("loop.pass");
  testing_support::pumpFor(300);
  EXPECT_LE(count("send.blocked") - refused, 2u);
  EXPECT_LT(count("loop.pass") - passes, 20u) << "the thread does not sleep";
}

// A thread kept busy by an event that is always set never comes to block;
// a handler whose output went is still told writable.
TEST_F(FdPair, AHandlerOnABusyThreadMayWriteAgainAfterItsOutputWent) {
  struct AlwaysSet : plat::EventHandler {
    void processEvent(HANDLE) override {}
  } busy;
  plat::Handle set(CreateEventW(nullptr, TRUE, TRUE, nullptr));
  ASSERT_TRUE(events.addEvent(set, &busy, "busy"));
  handler.onReadable = [](io::Io* io) {
    io->inStream().skip(io->inStream().avail());
    io->outStream().writeU8(2);
    io->outStream().flush();
  };
  server->setHandler(&handler, true);
  ASSERT_TRUE(pumpUntil([&] { return !handler.seen.empty(); }));
  handler.seen.clear();
  client->outStream().writeU8(1);
  client->outStream().flush();
  EXPECT_TRUE(pumpUntil([&] { return handler.seen.size() >= 2; }, 3000));
  EXPECT_EQ((std::vector<std::string>{"readable", "writable"}), handler.seen);
  events.removeEvent(set);
}

// Data and the peer's close reported at once: a reader that stops at the
// first short read still reaches the end, since no event reports the close
// again.
TEST_F(FdPair, APeerCloseReportedWithDataIsReadToTheEnd) {
  bool ended = false;
  handler.onReadable = [&](io::Io* io) {
    rdr::FdInStream& in = io->inStream();
    in.expectMore();
    try {
      while (in.avail() > 0 || (!in.drained() && in.check(false, 1)))
        in.skip(in.avail());
    } catch (rdr::EndOfStream&) {
      ended = true;
      io->shutdown(false, true);
    }
  };
  client->outStream().write("last words", 10);
  client->outStream().flush();
  delete client;
  client = nullptr;
  Sleep(200); // both are in before the server looks
  server->setHandler(&handler, true);
  EXPECT_TRUE(pumpUntil([&] { return ended; }, 3000));
}

namespace {

// Accepts with an output buffer large enough to hold many sends back.
struct WideOutputListener : io::TcpListener {
  WideOutputListener() : io::TcpListener(0, true) {}
  io::FdIo* newIo(SOCKET fd) override { return new io::FdIo(fd, true, 0, 128 * 1024); }
};

} // namespace

// Sends held back to leave together drain in partial sends that leave the
// buffer's room as it was; a peer that takes them slowly but steadily is
// not stalled.
TEST_F(IoLoop, SlowButSteadyDrainOfHeldBackOutputIsNotClosedAsStalled) {
  io::lazyFlushTimeout.setValue(1, plat::PriorityUser);
  WideOutputListener listener;
  Accepted accepted;
  listener.setAcceptor(&accepted);
  std::unique_ptr<io::FdIo> client(io::TcpTarget("127.0.0.1", listener.port()).connect());
  ASSERT_TRUE(pumpUntil([&] { return accepted.ios.size() == 1; }));
  io::FdIo* server = accepted.ios[0];
  int small = 8192;
  setsockopt(client->fd(), SOL_SOCKET, SO_RCVBUF, (const char*)&small, sizeof(small));
  setsockopt(server->fd(), SOL_SOCKET, SO_SNDBUF, (const char*)&small, sizeof(small));
  server->setHandler(&handler, true);

  // Three whole sends, each held back for the next.
  const int piece = 100 * 1024, total = 3 * piece;
  std::vector<uint8_t> block(piece, 0x3c);
  for (int i = 0; i < 3; i++) {
    server->outStream().write(block.data(), piece);
    server->outStream().flushWhole();
  }
  ASSERT_EQ(0, server->outStream().sentLength());

  // About 2 s to take it all, in steps of 50 ms.
  std::atomic<int> received{0};
  std::thread reader([&] {
    char buf[16 * 1024];
    while (received < total) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(client->fd(), &set);
      timeval tv = {5, 0};
      if (select(0, &set, nullptr, nullptr, &tv) != 1)
        break;
      int n = recv(client->fd(), buf, sizeof(buf), 0);
      if (n <= 0)
        break;
      received += n;
      Sleep(50);
    }
  });
  // The io is gone once closed.
  pumpUntil([&] { return handler.closedCount > 0 || !server->outStream().hasPending(); }, 15000);
  EXPECT_EQ(0, handler.closedCount) << "closed as stalled after " << received << " bytes";
  if (handler.closedCount == 0)
    server->shutdown(false, true); // what the socket holds still arrives
  ASSERT_TRUE(pumpUntil([&] { return handler.closedCount > 0; }));
  reader.join();
  EXPECT_EQ(total, received.load());
  io::lazyFlushTimeout.removeValue(plat::PriorityUser);
}

// Sockets that Winsock no longer knows fail alone: an io is closed, a
// listener no longer heard, the others are served, and nothing leaves the
// event loop.
TEST_F(FdPair, SocketsWinsockCannotAskFailAloneAndTheOthersAreServed) {
  std::unique_ptr<io::FdIo> client2(io::TcpTarget("127.0.0.1", listener.port()).connect());
  ASSERT_TRUE(pumpUntil([&] { return accepted.ios.size() == 2; }));
  io::FdIo* server2 = accepted.ios[1];
  std::string got;
  other.onReadable = appendTo(&got);
  server->setHandler(&handler, true);
  server2->setHandler(&other, true);
  testing_support::pumpFor(100);
  // Behind their backs: an io's socket, and the listener's.
  closesocket(server->fd());
  closesocket(listener.fd());
  client2->outStream().write("still here", 10);
  client2->outStream().flush();
  EXPECT_TRUE(pumpUntil([&] { return got == "still here" && handler.closedCount == 1; }));
  EXPECT_EQ(1, handler.closedCount);
}

// Output refused by a socket that has gone behind the io's back: watching
// for room fails, and the io is closed instead.
TEST_F(FdPair, RefusedOutputOfASocketThatHasGoneClosesItsIo) {
  server->setHandler(&handler, true);
  testing_support::pumpFor(100); // writable once: room is no longer watched
  stallServerOutput();
  closesocket(server->fd());
  EXPECT_TRUE(pumpUntil([&] { return handler.closedCount == 1; }));
}
