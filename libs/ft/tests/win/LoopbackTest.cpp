// Two engines joined by a loopback socket: what ferrin does with its peer.
#include "Settings.h"

#include "ft/Parameters.h"
#include "ft/ShareProxy.h"
#include "plat/CallCounter.h"
#include "plat/LogWriter.h"
#include "rdr/win/FdOutStream.h"
#include "testing/FtLoopback.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <deque>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

using namespace testing_support;

namespace {

const int Deadline = 60000;

std::string randomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(n, '\0');
  for (char& c : s)
    c = (char)random();
  return s;
}

std::string text(size_t n) {
  std::string s;
  while (s.size() < n)
    s += "line " + std::to_string(s.size()) + " of text that compresses well\n";
  s.resize(n);
  return s;
}

// Log lines of the engines, for what cannot be seen from outside.
struct Captured : plat::Logger {
  Captured() : Logger("ftloopback") { registerLogger(); }
  std::vector<std::string> lines;
  void write(int, const char* writer, const char* text) override {
    lines.push_back(std::string(writer) + ": " + text);
  }
  bool has(const std::string& line) const {
    for (const std::string& l : lines)
      if (l == line)
        return true;
    return false;
  }
};
Captured captured;

struct Loopback : testing::Test {
  std::deque<MemSink> sinks;
  LoopbackEngines engines;
  Engine& a = engines.a;
  Engine& b = engines.b;

  void SetUp() override { ASSERT_TRUE(engines.connect()); }

  MemSink& sink(uint64_t room) {
    sinks.emplace_back(room);
    return sinks.back();
  }
  // b's current share with a reference, once its listing is complete.
  ft::ShareProxy* waitForShare(uint32_t id) {
    ft::ShareProxy* share = nullptr;
    pumpUntil(
        [&] {
          share = b.extension.getCurrentShare();
          if (share && share->shareId() == id)
            return true;
          if (share)
            share->release();
          share = nullptr;
          return false;
        },
        Deadline);
    return share;
  }
  // Fetches every file of the share; directories get no sink.
  std::vector<MemSink*> fetchAll(ft::ShareProxy* share, uint64_t room) {
    std::vector<MemSink*> fetched;
    for (size_t i = 0; i < share->size(); i++) {
      MemSink* s = nullptr;
      if (!((*share)[i]->flags & ft::ShareEntry::Directory)) {
        s = &sink(room);
        b.fetch(share->shareId(), (uint32_t)i, (*share)[i]->name.c_str(), s);
      }
      fetched.push_back(s);
    }
    return fetched;
  }
  // a offers the one file and b fetches it: its sink once closed, or null.
  MemSink* fetchAlone(ft::FileProxy* file) {
    ft::ShareProxy* share = waitForShare(a.share({file}, 2));
    if (!share)
      return nullptr;
    std::vector<MemSink*> fetched = fetchAll(share, 4096);
    bool closed = pumpUntil([&] { return fetched[0]->closed(); }, Deadline);
    share->release();
    return closed ? fetched[0] : nullptr;
  }
  static bool allClosed(const std::vector<MemSink*>& sinks) {
    for (MemSink* s : sinks)
      if (s && !s->closed())
        return false;
    return true;
  }
};

struct LoopbackSends : Loopback, testing::WithParamInterface<bool> {};

// Low-water mark, compression asked for, file transfer prioritised.
struct LoopbackTransfers : Loopback, testing::WithParamInterface<std::tuple<int, bool, bool>> {};

} // namespace

TEST_P(LoopbackTransfers, ShareListedInBatchesAndEveryByteReceived) {
  auto lwm = setting(ft::fileTransferLWM, std::get<0>(GetParam()));
  b.extension.compress = std::get<1>(GetParam());
  auto prioritise = setting(ft::prioritiseFileTransfer, std::get<2>(GetParam()));

  std::vector<std::string> names;
  std::vector<std::string> contents;
  std::vector<ft::FileProxy*> files;
  files.push_back(new MemDir("folder"));
  names.push_back("folder");
  contents.push_back("");
  for (int i = 0; i < 150; i++) {
    names.push_back("folder/sub" + std::to_string(i % 5) + "/file" + std::to_string(i));
    contents.push_back(randomBytes(i * 37, i));
  }
  names.push_back("big.bin");
  contents.push_back(randomBytes(1500000, 7));
  names.push_back("notes.txt");
  contents.push_back(text(400000));
  for (size_t i = 1; i < names.size(); i++)
    files.push_back(new MemFile(names[i].c_str(), contents[i]));

  plat::LogWriter::applyLogParams("FTMsgWriter:ftloopback:30");
  captured.lines.clear();
  uint32_t id = a.share(files, 2);
  ft::ShareProxy* share = waitForShare(id);
  plat::LogWriter::applyLogParams("");
  ASSERT_TRUE(share);
  int batches = 0;
  for (const std::string& line : captured.lines)
    batches += line.compare(0, 18, "FTMsgWriter: Sent ") == 0 && line[18] != '0';
  EXPECT_GE(batches, 2);
  ASSERT_EQ(names.size(), share->size());
  for (size_t i = 0; i < names.size(); i++)
    ASSERT_STREQ(names[i].c_str(), (*share)[i]->name.c_str());

  std::vector<MemSink*> fetched = fetchAll(share, 65536);
  ASSERT_TRUE(pumpUntil([&] { return allClosed(fetched); }, Deadline));
  for (size_t i = 1; i < names.size(); i++) {
    EXPECT_EQ("", fetched[i]->closeMessage) << names[i];
    EXPECT_TRUE(fetched[i]->received == contents[i]) << names[i];
    EXPECT_FALSE(fetched[i]->overran) << names[i];
  }
  // big.bin needed many renewals of its window.
  EXPECT_GT(fetched[names.size() - 2]->writes, 1500000 / 65536);
  share->release();
}

INSTANTIATE_TEST_SUITE_P(WindowsCompressionPriority, LoopbackTransfers,
                         testing::Values(std::make_tuple(-1, false, false),
                                         std::make_tuple(65536, false, false),
                                         std::make_tuple(-1, true, true),
                                         std::make_tuple(8192, true, false),
                                         std::make_tuple(-1, false, true)));

// Messages written in one pass leave together, in whole sends: fewer sends
// than data messages, however the write cycles are set off.
TEST_P(LoopbackSends, AFileLeavesInFewerSendsThanMessages) {
  auto prioritise = setting(ft::prioritiseFileTransfer, GetParam());
  const size_t size = 1 << 20;
  std::string contents = randomBytes(size, 11);
  uint32_t id = a.share({new MemFile("one.bin", contents)}, 2);
  ft::ShareProxy* share = waitForShare(id);
  ASSERT_TRUE(share);
  MemSink& s = sink(262144);
  // As the sinks that write files: each piece asks for a write cycle.
  s.afterWrite = [&] { b.extension.scheduleWriteMsg(b.connection()); };
  plat::CallCounter* sends = plat::CallCounter::find("send");
  uint64_t before = sends->value();
  b.fetch(id, 0, "one.bin", &s);
  ASSERT_TRUE(pumpUntil([&] { return s.closed(); }, Deadline));
  EXPECT_TRUE(s.received == contents);
  // Both ends: the data, and the renewals of its window.
  uint64_t sent = sends->value() - before;
  EXPECT_LT(sent, (uint64_t)s.writes) << s.writes << " messages";
  share->release();
}

INSTANTIATE_TEST_SUITE_P(Prioritised, LoopbackSends, testing::Bool());

// As the share downloader does, each file that ends starts the next one:
// the requests of one batch of input leave while it is still being read.
TEST_F(Loopback, RequestsLeaveBeforeTheBatchEnds) {
  auto concurrency = setting(ft::ftConcurrency, 8);
  std::vector<ft::FileProxy*> files;
  for (int i = 0; i < 16; i++)
    files.push_back(new MemFile(("f" + std::to_string(i)).c_str(), "x"));
  uint32_t id = a.share(files, 2);
  ft::ShareProxy* share = waitForShare(id);
  ASSERT_TRUE(share);
  plat::CallCounter* sends = plat::CallCounter::find("send");
  std::vector<uint64_t> sendsAtClose;
  std::vector<MemSink*> fetched(16);
  for (uint32_t i = 0; i < 16; i++) {
    fetched[i] = &sink(4096);
    fetched[i]->afterClose = [&, i] {
      sendsAtClose.push_back(sends->value());
      if (i >= 8)
        return;
      ft::FileId next(id, i + 8);
      b.download()->addStream(next, fetched[i + 8]);
      b.download()->requestFile(next, (*share)[i + 8]->name.c_str(), 0, ~(uint64_t)0);
      b.download()->requestWriteCycle();
    };
  }
  for (uint32_t i = 0; i < 8; i++)
    b.fetch(id, i, (*share)[i]->name.c_str(), fetched[i]);
  ASSERT_TRUE(pumpUntil([&] { return allClosed(fetched); }, Deadline));
  for (MemSink* s : fetched)
    EXPECT_EQ("x", s->received);
  // The first eight answers came in one send, and were read in one batch.
  EXPECT_GT(sendsAtClose[7], sendsAtClose[0]);
  share->release();
}

TEST_F(Loopback, WithdrawalInTheMiddleOfADownload) {
  uint32_t id = a.share({new MemFile("big", randomBytes(3000000, 3))}, 2);
  ft::ShareProxy* share = waitForShare(id);
  ASSERT_TRUE(share);
  std::vector<MemSink*> fetched = fetchAll(share, 65536);
  ASSERT_TRUE(pumpUntil([&] { return fetched[0]->received.size() > 100000; }, Deadline));
  a.upload().withdrawShare(a.connection(), id);
  ASSERT_TRUE(pumpUntil([&] { return fetched[0]->closed(); }, Deadline));
  EXPECT_EQ("Files withdrawn by source", fetched[0]->closeMessage);
  EXPECT_LT(fetched[0]->received.size(), 3000000u);
  ft::ShareProxy* current = b.extension.getCurrentShare();
  EXPECT_EQ(nullptr, current);
  share->release();
}

TEST_F(Loopback, AbortInTheMiddleOfAFile) {
  uint32_t id = a.share({new MemFile("big", randomBytes(3000000, 4)), new MemFile("next", "ok")}, 2);
  ft::ShareProxy* share = waitForShare(id);
  ASSERT_TRUE(share);
  std::vector<MemSink*> fetched = fetchAll(share, 65536);
  fetched[0]->cancelAfter = 500000;
  ASSERT_TRUE(pumpUntil([&] { return fetched[0]->closed() && fetched[1]->closed(); }, Deadline));
  EXPECT_EQ("", fetched[0]->closeMessage);
  EXPECT_LE(fetched[0]->received.size(), 500000u);
  EXPECT_EQ("ok", fetched[1]->received);
  ASSERT_TRUE(pumpUntil([&] { return !a.upload().uploadsPending(a.connection()); }, Deadline));
  share->release();
}

TEST_F(Loopback, ShareReleasedOnAnotherThreadReachesThePeer) {
  plat::LogWriter::applyLogParams("ftExtension:ftloopback:100");
  captured.lines.clear();
  uint32_t id = a.share({new MemFile("f", "abc")}, 2);
  ft::ShareProxy* share = waitForShare(id);
  ASSERT_TRUE(share);
  b.download()->clearCurrentShare();
  std::thread([share] { share->release(); }).join();
  std::string line = "ftExtension: Remote releasing " + std::to_string(id);
  EXPECT_TRUE(pumpUntil([&] { return captured.has(line); }, Deadline));
  plat::LogWriter::applyLogParams("");

  // a no longer serves it.
  MemSink& late = sink(4096);
  b.fetch(id, 0, "f", &late);
  ASSERT_TRUE(pumpUntil([&] { return late.closed(); }, Deadline));
  EXPECT_EQ("File not shared: f", late.closeMessage);
}

TEST_F(Loopback, ProtocolErrorClosesOnlyThatConnection) {
  // A second peer of b that sends a message of an unknown type.
  SOCKET raw = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons((u_short)engines.listener.port());
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(0, ::connect(raw, (sockaddr*)&to, sizeof(to)));
  ASSERT_TRUE(pumpUntil([&] { return b.manager.connections.size() == 2; }, Deadline));
  const char garbage[] = "\x80\x04\x00\x00\x00\x63";
  ASSERT_EQ(6, send(raw, garbage, 6, 0));
  ASSERT_TRUE(pumpUntil([&] { return b.manager.released == 1; }, Deadline));

  // b closed the faulty peer's socket ...
  u_long nonBlocking = 1;
  ioctlsocket(raw, FIONBIO, &nonBlocking);
  char buffer[256];
  int got = -1;
  pumpUntil(
      [&] {
        got = recv(raw, buffer, sizeof(buffer), 0);
        return got >= 0 || WSAGetLastError() != WSAEWOULDBLOCK;
      },
      Deadline);
  EXPECT_LE(got, 0);
  closesocket(raw);

  // ... and goes on serving a.
  MemSink* served = fetchAlone(new MemFile("f", "still served"));
  ASSERT_TRUE(served);
  EXPECT_EQ("still served", served->received);
}

TEST_F(Loopback, AStandardExceptionClosesOnlyThatConnection) {
  // a's file runs out of memory as a writes it: a closes the connection.
  MemFile* file = new MemFile("f", "never read");
  file->outOfMemory = true;
  MemSink* sink = fetchAlone(file);
  ASSERT_TRUE(sink);
  EXPECT_EQ("Connection closed", sink->closeMessage);

  // b runs out of memory as it reads: b closes the connection.
  ASSERT_TRUE(engines.connect());
  struct Starved : ft::Extension::ShareCallback {
    void sharePending(uint32_t, uint32_t) override { throw std::bad_alloc(); }
    void shareReady(ft::ShareProxy*) override {}
    void shareWithdrawn(ft::ShareProxy*) override {}
  } starved;
  b.extension.addShareCallback(&starved);
  a.share({new MemFile("g", "g")}, 2);
  ASSERT_TRUE(pumpUntil([&] { return a.connection() == nullptr; }, Deadline));
  b.extension.removeShareCallback(&starved);
}

TEST_F(Loopback, PeerGoingAwayEndsTheDownloads) {
  uint32_t id = a.share({new MemFile("big", randomBytes(3000000, 5))}, 2);
  ft::ShareProxy* share = waitForShare(id);
  ASSERT_TRUE(share);
  std::vector<MemSink*> fetched = fetchAll(share, 65536);
  ASSERT_TRUE(pumpUntil([&] { return fetched[0]->received.size() > 100000; }, Deadline));
  engines.socketA->shutdownNoFlush();
  ASSERT_TRUE(pumpUntil([&] { return fetched[0]->closed(); }, Deadline));
  EXPECT_EQ("Connection closed", fetched[0]->closeMessage);
  EXPECT_EQ(nullptr, b.connection());
  share->release();
}

// The socket server's own entry points from the event loop: a failure there
// closes that connection and lets the loop go on.
TEST_F(Loopback, AFlushThatFailsOnAWakeClosesOnlyThatConnection) {
  pumpFor(200); // nothing left to flush or dispatch
  // a's socket takes nothing more, and a has output pending.
  io::Io* io = engines.socketA->io();
  io->outStream().writeU8(0);
  ASSERT_EQ(0, shutdown(io->asFdIo()->fd(), SD_SEND));
  // A write cycle asked for on another thread wakes the server.
  rfb::MsgHandler* connection = a.connection();
  std::thread([&] { a.extension.requestWriteCycle(connection); }).join();
  EXPECT_TRUE(pumpUntil([&] { return a.connection() == nullptr; }, Deadline));
  EXPECT_TRUE(pumpUntil([&] { return b.connection() == nullptr; }, Deadline));
}

TEST_F(Loopback, ASinkThatFailsBeforeTheThreadWaitsClosesOnlyThatConnection) {
  struct Failing : MemSink {
    void endOfBatch() override { throw plat::SystemException("write/select", WSAECONNRESET); }
  } failing;
  b.download()->addStream(ft::FileId(1, 1), &failing);
  EXPECT_TRUE(pumpUntil([&] { return b.connection() == nullptr; }, Deadline));
  EXPECT_EQ("Connection closed", failing.closeMessage);
  EXPECT_TRUE(pumpUntil([&] { return a.connection() == nullptr; }, Deadline));

  // b goes on serving another connection.
  ASSERT_TRUE(engines.connect());
  MemSink* served = fetchAlone(new MemFile("f", "still served"));
  ASSERT_TRUE(served);
  EXPECT_EQ("still served", served->received);
}

// A sink that writes what it held just before the thread waits asks for
// the write cycle that renews its window (as the share downloader does on
// each piece written): that cycle runs before the wait, and does not wake
// the thread for a pass of the event loop of its own.
TEST_F(Loopback, WriteCyclesAskedForBeforeTheThreadWaitsRunBeforeTheWait) {
  // It takes the data at once but frees its room only when the thread is
  // about to wait: the file arrives only through those cycles.
  struct Renewing : MemSink {
    Renewing() : MemSink(4096) {}
    uint64_t window() override { return freed + room; }
    void endOfBatch() override {
      if (freed == received.size())
        return;
      freed = received.size();
      manager->requestWriteCycle();
    }
    ft::DownloadManager* manager = nullptr;
    uint64_t freed = 0;
  } renewing;
  std::string contents = randomBytes(64 * 4096, 5);
  ft::ShareProxy* share = waitForShare(a.share({new MemFile("f", contents)}, 2));
  ASSERT_TRUE(share);
  renewing.manager = b.download();
  plat::LogWriter::applyLogParams("EventManager:ftloopback:105");
  captured.lines.clear();
  b.fetch(share->shareId(), 0, "f", &renewing);
  bool closed = pumpUntil([&] { return renewing.closed(); }, Deadline);
  plat::LogWriter::applyLogParams("");
  if (!closed) // the sink goes with the test
    b.download()->closeStream(ft::FileId(share->shareId(), 0), "Test over");
  EXPECT_TRUE(closed);
  EXPECT_EQ("", renewing.closeMessage);
  EXPECT_TRUE(renewing.received == contents);
  EXPECT_FALSE(renewing.overran);
  int wakes = 0;
  for (const std::string& line : captured.lines)
    wakes += line.find("(FTSocketServer) set") != std::string::npos;
  EXPECT_EQ(0, wakes);
  share->release();
}
