#include "io/Io.h"
#include "io/IoConnector.h"
#include "net/FdSocket.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace net;

namespace {

std::vector<std::string> calls;

// An io that only records what is asked of it; an unregistered one goes at
// once on shutdown, as a real one does.
struct FakeIo : io::Io {
  explicit FakeIo(bool registered_) : registered(registered_) {}
  ~FakeIo() override { calls.push_back("io deleted"); }
  void setHandler(io::IoHandler*, bool) override {}
  void shutdown(bool flush, bool tellHandler) override {
    calls.push_back(std::string("io shutdown ") + (flush ? "flush" : "noflush") +
                    (tellHandler ? " tell" : " quiet"));
    if (!registered)
      delete this;
  }
  bool isRegistered() override { return registered; }
  const char* name() override { return "fake"; }
  void setTimeout(int ms) override { calls.push_back("timeout " + std::to_string(ms)); }
  bool registered;
};

struct FakeConnector : io::IoConnector {
  void rethrow() override {}
  void cancel(bool keepCallback) override {
    calls.push_back(keepCallback ? "cancel keep" : "cancel drop");
  }
};

struct FakeTarget : io::IoTarget {
  ~FakeTarget() override { calls.push_back("target deleted"); }
  io::Io* connect() override { return nullptr; }
  io::IoConnector* connectAsync(io::IoConnected*) override { return nullptr; }
  io::IoTarget* clone() const override { return new FakeTarget; }
};

struct FdSockets : testing::Test {
  void SetUp() override { calls.clear(); }
};

} // namespace

TEST_F(FdSockets, ShutdownWhileConnectingCancelsAndKeepsTheCallback) {
  FakeConnector connector;
  {
    FdSocket socket(nullptr, new FakeTarget);
    socket.setConnector(&connector);
    socket.shutdown(); // there is no io yet
    EXPECT_EQ(nullptr, socket.connector());
    socket.shutdownNoFlush();
    socket.setTimeout(5);
  }
  EXPECT_EQ((std::vector<std::string>{"cancel keep", "target deleted"}), calls);
}

TEST_F(FdSockets, DestructionWhileConnectingCancelsQuietly) {
  FakeConnector connector;
  {
    FdSocket socket(nullptr, nullptr);
    socket.setConnector(&connector);
  }
  EXPECT_EQ(std::vector<std::string>{"cancel drop"}, calls);
}

TEST_F(FdSockets, RegisteredIoIsShutDownAndLaterToldNothing) {
  FakeIo* io = new FakeIo(true);
  {
    FdSocket socket(io, nullptr);
    socket.setTimeout(250);
    socket.shutdown();
    EXPECT_EQ(io, socket.io()); // the fd manager still holds it
  }
  EXPECT_EQ((std::vector<std::string>{"timeout 250", "io shutdown flush tell",
                                      "io shutdown noflush quiet"}),
            calls);
  delete io;
}

TEST_F(FdSockets, UnregisteredIoGoesOnceAtShutdown) {
  {
    FdSocket socket(new FakeIo(false), nullptr);
    socket.shutdownNoFlush();
    EXPECT_EQ(nullptr, socket.io());
    socket.shutdown();
  }
  EXPECT_EQ((std::vector<std::string>{"io shutdown noflush tell", "io deleted"}), calls);
}

TEST_F(FdSockets, PlainSocketHasEmptyEndpointTexts) {
  FdSocket socket(nullptr, nullptr);
  EndpointInfo& local = socket.localEndpoint();
  EXPECT_STREQ("", local.address(true));
  EXPECT_EQ(-1, local.port());
  EXPECT_STREQ("", socket.peerEndpoint().endpoint(true));
  EXPECT_STREQ("", socket.peerEndpoint().endpointName(false));
  EXPECT_EQ(&socket, socket.asFdSocket());
  EXPECT_EQ(nullptr, socket.asTcpSocket());
}
