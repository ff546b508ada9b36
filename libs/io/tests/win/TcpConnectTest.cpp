#include "io/win/FdListener.h"
#include "io/win/TcpConnector.h"
#include "io/win/TcpIo.h"
#include "io/win/TcpTarget.h"
#include "rdr/win/FdInStream.h"
#include "rdr/win/FdOutStream.h"
#include "win/IoLoop.h"

#include <memory>

using namespace io_testing;

namespace {

struct TcpConnect : IoLoop {
  io::TcpListener listener{0, true};
  Accepted accepted;

  void SetUp() override { listener.setAcceptor(&accepted); }
  void TearDown() override {
    for (io::FdIo* io : accepted.ios)
      delete io;
  }
  std::string portText() { return std::to_string(listener.port()); }
};

// A port on which nothing listens any more.
int closedPort() {
  io::TcpListener gone(0, true);
  return gone.port();
}

} // namespace

TEST_F(TcpConnect, ConnectsOnceAndNamesBothEnds) {
  ConnectResult result;
  io::TcpTarget target("localhost", listener.port());
  target.connectAsync(&result);
  EXPECT_TRUE(result.seen.empty()); // the attempt runs from the timers
  ASSERT_TRUE(pumpUntil([&] { return result.done() && accepted.ios.size() == 1; }));
  // Whether or not localhost also resolved to ::1 (refused: the listener is
  // IPv4 only), the callback hears one outcome.
  testing_support::pumpFor(100);
  ASSERT_EQ(std::vector<std::string>{"connected"}, result.seen);

  std::unique_ptr<io::Io> io(result.io);
  io::TcpIo* tcp = io->asTcpIo();
  ASSERT_NE(nullptr, tcp);
  EXPECT_FALSE(io->isRegistered());
  EXPECT_STREQ("localhost", tcp->hostText());
  EXPECT_STREQ("localhost", tcp->peerEndpoint().hostName.c_str());
  EXPECT_STREQ("127.0.0.1", tcp->peerEndpoint().address.c_str());
  EXPECT_EQ(listener.port(), tcp->peerEndpoint().port);
  EXPECT_EQ(AF_INET, tcp->peerEndpoint().family);
  EXPECT_EQ("localhost::" + portText(), io->name());
  EXPECT_STREQ("127.0.0.1", tcp->localEndpoint().address.c_str());
  auto* copy = dynamic_cast<io::TcpTarget*>(io->target());
  ASSERT_NE(nullptr, copy);
  EXPECT_STREQ("localhost", copy->host());

  // The accepting end knows no host name.
  io::TcpIo* server = accepted.ios[0]->asTcpIo();
  ASSERT_NE(nullptr, server);
  EXPECT_TRUE(server->peerEndpoint().hostName.isNull());
  EXPECT_EQ("127.0.0.1::" + std::to_string(tcp->localEndpoint().port), server->name());
  EXPECT_EQ("127.0.0.1::" + portText(), server->localName());
}

TEST_F(TcpConnect, ClosedPortIsRefused) {
  ConnectResult result;
  io::TcpTarget("127.0.0.1", closedPort()).connectAsync(&result);
  ASSERT_TRUE(pumpUntil([&] { return result.done(); }, 20000));
  EXPECT_EQ(std::vector<std::string>{"failed"}, result.seen);
  EXPECT_FALSE(result.resolveFailed);
  EXPECT_EQ(WSAECONNREFUSED, result.error);
  EXPECT_EQ(0u, result.message.find("connect: Connection refused")) << result.message;
}

// The first address is refused later; the only other one fails at once.
TEST_F(TcpConnect, AddressesThatFailAtOnceAfterARefusalStillReport) {
  ConnectResult result;
  auto* connector = new io::TcpConnector(&result, "test", 0, 0);
  sockaddr_in refused = {};
  refused.sin_family = AF_INET;
  refused.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  refused.sin_port = htons((u_short)closedPort());
  sockaddr_in broadcast = refused;
  broadcast.sin_addr.s_addr = htonl(INADDR_BROADCAST);
  connector->addAddress((sockaddr*)&refused, sizeof(refused));
  connector->addAddress((sockaddr*)&broadcast, sizeof(broadcast));
  ASSERT_TRUE(pumpUntil([&] { return result.done(); }, 20000));
  EXPECT_EQ(std::vector<std::string>{"failed"}, result.seen);
  EXPECT_FALSE(result.resolveFailed);
  EXPECT_NE(0, result.error) << result.message;
}

TEST_F(TcpConnect, UnresolvableHostFailsCleanly) {
  ConnectResult result;
  io::TcpTarget("no-such-host.invalid", 5900).connectAsync(&result);
  ASSERT_TRUE(pumpUntil([&] { return result.done(); }, 20000));
  EXPECT_EQ(std::vector<std::string>{"failed"}, result.seen);
  EXPECT_TRUE(result.resolveFailed);
  EXPECT_NE(0, result.error);
  EXPECT_EQ(0u, result.message.find("getaddrinfo")) << result.message;
}

TEST_F(TcpConnect, CancelReportsOnlyWhenAskedTo) {
  // Before the first attempt.
  ConnectResult kept, dropped;
  io::TcpTarget target("127.0.0.1", listener.port());
  target.connectAsync(&kept)->cancel(true);
  target.connectAsync(&dropped)->cancel(false);
  testing_support::pumpFor(200);
  EXPECT_EQ(std::vector<std::string>{"cancelled"}, kept.seen);
  EXPECT_TRUE(dropped.seen.empty());

  // With the connect in progress: the pending socket is closed, and the
  // callback hears only that it was cancelled.
  ConnectResult inFlight;
  io::IoConnector* connector = target.connectAsync(&inFlight);
  timers.processTimers();
  connector->cancel(true);
  ASSERT_TRUE(pumpUntil([&] { return inFlight.done(); }));
  testing_support::pumpFor(200);
  EXPECT_EQ(std::vector<std::string>{"cancelled"}, inFlight.seen);
}

// A connect cancelled while its thread tears down, after the timers went.
TEST(TcpConnectTeardown, CancellingNeedsNoTimers) {
  plat::EventManager events;
  io::WinsockManager winsock;
  io::TcpListener listener(0, true);
  ConnectResult kept, dropped;
  io::IoConnector* keep;
  io::IoConnector* drop;
  {
    plat::TimerManager timers;
    io::TcpTarget target("127.0.0.1", listener.port());
    keep = target.connectAsync(&kept);
    drop = target.connectAsync(&dropped);
    timers.processTimers(); // both attempts are in progress
  }
  drop->cancel(false);
  keep->cancel(true); // cannot be reported any more, but must not throw
  EXPECT_TRUE(kept.seen.empty());
  EXPECT_TRUE(dropped.seen.empty());
}

TEST_F(TcpConnect, BlockingConnectCarriesACookieBeforeRegistration) {
  std::unique_ptr<io::TcpIo> io(io::TcpTarget("127.0.0.1", listener.port()).connect());
  io->outStream().writeU32(0x8badf00d);
  io->outStream().flush();
  ASSERT_TRUE(pumpUntil([&] { return accepted.ios.size() == 1; }));
  EXPECT_EQ(0x8badf00du, accepted.ios[0]->inStream().readU32());
  EXPECT_STREQ("127.0.0.1", io->hostText());
}

TEST_F(TcpConnect, BlockingConnectFailuresAreThrown) {
  try {
    delete io::TcpTarget("127.0.0.1", closedPort()).connect();
    FAIL() << "connected";
  } catch (io::GetAddrInfoException&) {
    FAIL() << "not a resolution failure";
  } catch (plat::SystemException& e) {
    EXPECT_EQ(WSAECONNREFUSED, e.err) << e.str();
  }
  try {
    delete io::TcpTarget("no-such-host.invalid", 1).connect();
    FAIL() << "connected";
  } catch (io::GetAddrInfoException& e) {
    EXPECT_EQ(0, strncmp("getaddrinfo", e.str(), 11)) << e.str();
  }
}

TEST(TcpTarget, HostBrackets) {
  EXPECT_STREQ("::1", io::TcpTarget("[::1]", 5900).host());
  EXPECT_STREQ("host", io::TcpTarget("host", 1).host());
  try {
    io::TcpTarget("[::1", 5900);
    FAIL() << "accepted";
  } catch (plat::Exception& e) {
    EXPECT_STREQ("unmatched [ in host", e.str());
  }
  io::TcpTarget target("[fe80::1]", 7, 3);
  std::unique_ptr<io::IoTarget> copy(target.clone());
  auto* tcp = static_cast<io::TcpTarget*>(copy.get());
  EXPECT_STREQ("fe80::1", tcp->host());
  EXPECT_EQ(7, tcp->port());
  EXPECT_EQ(3, tcp->flags());
}
