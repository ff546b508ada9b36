// The io layer end to end, as a program uses it: connect, exchange framed
// messages driven by a timer, and log what happens.
#include "plat/LogWriter.h"
#include "plat/Timer.h"
#include "win/NetLoop.h"

using namespace net_testing;

namespace {

plat::LogWriter vlog("Demo");

struct Captured : plat::Logger {
  Captured() : Logger("democapture") { registerLogger(); }
  std::vector<std::string> lines;
  void write(int, const char* writer, const char* text) override {
    lines.push_back(std::string(writer) + ": " + text);
  }
  bool has(const std::string& prefix) const {
    for (const std::string& line : lines)
      if (line.compare(0, prefix.size(), prefix) == 0)
        return true;
    return false;
  }
};
Captured captured;

// Sends a numbered tick every interval until enough answers came back.
struct Ticker : plat::Timer::Callback {
  Recorder* server;
  net::Socket* socket;
  int sent = 0;
  int answered = 0;
  bool handleTimeout(plat::Timer*) override {
    if (answered >= 5) {
      vlog.info("done after %d ticks", sent);
      socket->shutdown();
      return false;
    }
    if (!socket->io())
      return true; // still connecting
    server->send(socket, "tick " + std::to_string(++sent));
    vlog.info("sent tick %d", sent);
    return true;
  }
};

struct Demonstration : NetLoop {
  void SetUp() override {
    captured.lines.clear();
    plat::LogWriter::applyLogParams("Demo:democapture:100,TcpConnect:democapture:100,"
                                    "SelectSocketManager:democapture:100");
    sockets.addListener(&listener, &server);
  }
  void TearDown() override { plat::LogWriter::applyLogParams(""); }
};

} // namespace

TEST_F(Demonstration, TicksAndAnswersOverOneConnection) {
  Ticker ticker;
  ticker.server = &server;
  server.onMessage = [&](net::Socket* from, const std::string& text) {
    vlog.info("%s got '%s'", server.live.at(from)->name.c_str(), text.c_str());
    if (text.compare(0, 5, "tick ") == 0)
      server.send(from, "tock " + text.substr(5));
    else
      ticker.answered++;
  };
  ticker.socket = connectTo("127.0.0.1", listener.port());
  plat::Timer timer(&ticker);
  timer.start(20);

  ASSERT_TRUE(pumpUntil([&] { return server.removedCount() == 2; }));
  EXPECT_FALSE(timer.isStarted());
  EXPECT_GE(ticker.sent, 5);
  Recorder::Connection* client = server.find("out1");
  ASSERT_GE(client->messages.size(), 5u);
  for (int i = 0; i < 5; i++)
    EXPECT_EQ("tock " + std::to_string(i + 1), client->messages[i]);

  EXPECT_TRUE(captured.has("TcpConnect: connecting to 127.0.0.1:"));
  EXPECT_TRUE(captured.has("SelectSocketManager: IoWrapper"));
  EXPECT_TRUE(captured.has("Demo: sent tick 1"));
  EXPECT_TRUE(captured.has("Demo: in2 got 'tick 1'"));
  EXPECT_TRUE(captured.has("Demo: out1 got 'tock 1'"));
  EXPECT_TRUE(captured.has("Demo: done after"));
  EXPECT_TRUE(captured.has("SelectSocketManager: ~IoWrapper"));
}
