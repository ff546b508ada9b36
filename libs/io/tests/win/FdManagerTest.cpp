#include "io/Parameters.h"
#include "io/win/FdListener.h"
#include "io/win/TcpTarget.h"
#include "rdr/Exception.h"
#include "rdr/win/FdInStream.h"
#include "rdr/win/FdOutStream.h"
#include "win/IoLoop.h"

#include <algorithm>
#include <atomic>
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

  // Fills the server's output while the client reads nothing; small socket
  // buffers keep most of it in the stream.
  void stallServerOutput() {
    int small = 8192;
    setsockopt(client->fd(), SOL_SOCKET, SO_RCVBUF, (const char*)&small, sizeof(small));
    setsockopt(server->fd(), SOL_SOCKET, SO_SNDBUF, (const char*)&small, sizeof(small));
    std::vector<uint8_t> block(64 * 1024, 0x5a);
    for (int i = 0; i < 48; i++) // 3 MB: below MaxOutBufferSize, so no write waits
      server->outStream().write(block.data(), (int)block.size());
    server->outStream().flush();
    ASSERT_TRUE(server->outStream().hasPending());
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
  other.onReadable = [&](io::Io* io) {
    rdr::InStream& in = io->inStream();
    while (in.check(false, 1)) {
      got.append((const char*)in.getptr(), in.avail());
      in.skip(in.avail());
    }
  };
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
