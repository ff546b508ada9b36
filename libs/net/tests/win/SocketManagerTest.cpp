#include "win/NetLoop.h"

using namespace net_testing;
using Seen = std::vector<std::string>;

namespace {

// A port on which nothing listens any more.
int closedPort() {
  io::TcpListener gone(0, true);
  return gone.port();
}

struct Sockets : NetLoop {
  void SetUp() override { sockets.addListener(&listener, &server); }
};

} // namespace

TEST_F(Sockets, ConnectAndExchangeFramedMessagesBothWays) {
  net::TcpSocket* client = connectTo("localhost", listener.port());
  // The server hears of an outgoing socket before its connect completes.
  ASSERT_EQ(1u, server.all.size());
  EXPECT_EQ(Seen{"added"}, server.all[0]->seen);
  EXPECT_EQ(nullptr, client->io());

  ASSERT_TRUE(pumpUntil([&] { return server.all.size() == 2 && client->io(); }));
  Recorder::Connection* out = server.find("out1");
  Recorder::Connection* in = server.find("in2");
  ASSERT_TRUE(out && in);
  net::Socket* accepted = server.socketOf(in);

  server.send(client, "ping");
  // Within the reader's buffer: a message is read whole or not at all.
  std::string big(12000, 'x');
  server.send(client, big);
  ASSERT_TRUE(pumpUntil([&] { return in->messages.size() == 2; }));
  EXPECT_EQ("ping", in->messages[0]);
  EXPECT_EQ(big, in->messages[1]);

  server.send(accepted, "");
  server.send(accepted, "pong");
  ASSERT_TRUE(pumpUntil([&] { return out->messages.size() == 2; }));
  EXPECT_EQ((Seen{"", "pong"}), out->messages);

  // The client ends the connection; the accepting side reads the end of the
  // stream and closes too.
  client->shutdown();
  ASSERT_TRUE(pumpUntil([&] { return server.removedCount() == 2; }));

  // What the server saw, in order.
  ASSERT_GE(out->seen.size(), 4u);
  EXPECT_EQ("added", out->seen[0]);
  EXPECT_EQ("connected", out->seen[1]);
  EXPECT_EQ("removed", out->seen.back());
  EXPECT_NE(out->seen.end(), std::find(out->seen.begin(), out->seen.end(), "readable"));
  EXPECT_EQ("added", in->seen[0]);
  EXPECT_EQ("writable", in->seen[1]);
  EXPECT_EQ("removed", in->seen.back());
  for (auto* c : {out, in})
    EXPECT_EQ(1, std::count(c->seen.begin(), c->seen.end(), "removed"));
}

TEST_F(Sockets, ClosedPortGivesConnectFailedWithTheRefusedCode) {
  connectTo("127.0.0.1", closedPort());
  ASSERT_TRUE(pumpUntil([&] { return server.removedCount() == 1; }, 20000));
  Recorder::Connection* c = server.last();
  EXPECT_EQ((Seen{"added", "connect failed", "removed"}), c->seen);
  EXPECT_EQ(WSAECONNREFUSED, c->connectError);
}

TEST_F(Sockets, UnresolvableHostFailsCleanly) {
  connectTo("no-such-host.invalid", 5900);
  ASSERT_TRUE(pumpUntil([&] { return server.removedCount() == 1; }, 20000));
  Recorder::Connection* c = server.last();
  EXPECT_EQ((Seen{"added", "connect failed", "removed"}), c->seen);
  EXPECT_NE(0, c->connectError);
}

TEST_F(Sockets, ShutdownWhileConnectingCancels) {
  net::TcpSocket* early = connectTo("127.0.0.1", listener.port());
  early->shutdown(); // before the first attempt
  net::TcpSocket* pending = connectTo("127.0.0.1", listener.port());
  timers.processTimers(); // the attempt is in progress
  pending->shutdownNoFlush();
  ASSERT_TRUE(pumpUntil([&] { return server.removedCount() == 2; }));
  EXPECT_EQ((Seen{"added", "removed"}), server.find("out1")->seen);
  EXPECT_EQ((Seen{"added", "removed"}), server.find("out2")->seen);
}

TEST_F(Sockets, PeerClosingWhileIdleIsNoticedEveryTime) {
  for (int i = 0; i < 100; i++) {
    std::unique_ptr<io::TcpIo> peer(io::TcpTarget("127.0.0.1", listener.port()).connect());
    size_t before = server.all.size();
    if (i % 2) {
      // Close once the connection has gone idle on this side.
      ASSERT_TRUE(pumpUntil([&] {
        return server.all.size() > before && server.last()->seen.back() == "writable";
      }, 5000)) << "connection " << i;
    }
    peer.reset();
    ASSERT_TRUE(pumpUntil([&] { return server.removedCount() == i + 1; }, 5000))
        << "close " << i << " not noticed";
  }
}

TEST_F(Sockets, SocketOnABlockingConnectCarriesTheCookieFirst) {
  io::TcpListener raw(0, true);
  io::TcpIo* io = io::TcpTarget("127.0.0.1", raw.port()).connect();
  io->outStream().writeU32(0xc001d00d);
  io->outStream().flush();
  auto* socket = new net::TcpSocket(io);
  sockets.addSocket(socket, &server, true);
  server.send(socket, "first message");

  // The other end reads plainly, with a time-out so that it cannot hang.
  SOCKET s = accept(raw.fd(), nullptr, nullptr);
  ASSERT_NE(INVALID_SOCKET, s);
  io::TcpIo peer(s, true);
  peer.setTimeout(10000);
  EXPECT_EQ(0xc001d00du, peer.inStream().readU32());
  rdr::InStreamV4 framed(&peer.inStream());
  framed.startMsg();
  EXPECT_EQ(13u, framed.readU32());

  EXPECT_EQ(Seen{"added"}, server.last()->seen);
  net::EndpointInfo& remote = socket->peerEndpoint();
  EXPECT_STREQ("127.0.0.1", remote.address(true));
  EXPECT_EQ(raw.port(), remote.port());
  EXPECT_STREQ("127.0.0.1", remote.name());
  std::string endpoint = "127.0.0.1::" + std::to_string(raw.port());
  EXPECT_EQ(endpoint, remote.endpoint(true));
  EXPECT_EQ(endpoint, remote.endpointName(true));
  EXPECT_EQ(&remote, &socket->peerEndpoint());
  EXPECT_STREQ("127.0.0.1", socket->localEndpoint().address(false));
}

TEST_F(Sockets, ListenerBookkeeping) {
  io::TcpListener second(0, true);
  EXPECT_FALSE(sockets.watchAddressChanges(&second, nullptr));
  try {
    sockets.removeListener(&second);
    FAIL() << "removed";
  } catch (plat::Exception& e) {
    EXPECT_STREQ("Listener not registered", e.str());
  }
  sockets.addListener(&second, &server);
  sockets.removeListener(&second);
}

// The stop order of a program: the timers go first, then the socket manager
// with a connect still in progress.
TEST(SocketTeardown, NeedsNoTimers) {
  plat::EventManager events;
  Recorder server;
  io::TcpListener listener(0, true);
  std::unique_ptr<plat::TimerManager> timers(new plat::TimerManager);
  auto* sockets = new net::EventSocketManager(new io::WinsockManager);
  sockets->addSocket(new net::TcpSocket(new io::TcpTarget("127.0.0.1", listener.port())),
                     &server, true);
  timers->processTimers();
  timers.reset();
  delete sockets;
  EXPECT_EQ((Seen{"added", "removed"}), server.last()->seen);
}
