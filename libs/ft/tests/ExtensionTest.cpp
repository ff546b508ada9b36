#include "Probe.h"
#include "Settings.h"
#include "TestConnection.h"

#include "ft/MsgWriter.h"
#include "ft/Parameters.h"
#include "ft/ShareProxy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <thread>
#include <vector>

using testing_support::MemFile;
using testing_support::MemSink;
using testing_support::Probe;
using testing_support::setting;

namespace {

typedef std::vector<std::string> Lines;
const uint64_t All = ~(uint64_t)0;

struct ExtensionTest : testing::Test {
  std::deque<MemSink> sinks;
  Probe probe;
  ft::Extension& ext() { return probe.ext(); }
  rfb::MsgHandler* conn() { return probe.conn(); }
  ft::DownloadManager* dm() { return probe.download(); }
  MemSink& sink(uint64_t room) {
    sinks.emplace_back(room);
    return sinks.back();
  }
  // The other end's share 7 with one entry, listed completely; returns a
  // reference for the caller.
  ft::ShareProxy* remoteShare(uint32_t id = 7) {
    ext().shareCtrl(conn(), id, 0, 2);
    ext().shareEntry(conn(), id, new ft::ShareEntry("f", 0, 3, 0, 0, 0));
    ext().shareDataEOF(conn(), id);
    probe.sent();
    return ext().getCurrentShare();
  }
};

// Writes down every share callback in order.
struct Listener : ft::Extension::ShareCallback {
  Listener(const char* name, Lines* calls) : name(name), calls(calls) {}
  void sharePending(uint32_t shareId, uint32_t flags) override {
    calls->push_back(name + " pending " + std::to_string(shareId));
  }
  void shareReady(ft::ShareProxy* share) override {
    calls->push_back(name + " ready " + std::to_string(share->shareId()));
  }
  void shareWithdrawn(ft::ShareProxy* share) override {
    calls->push_back(name + " withdrawn " + std::to_string(share->shareId()));
  }
  std::string name;
  Lines* calls;
};

struct CountingWaker : ft::Extension::Waker {
  void wake() override {
    wakes++;
    onOtherThread = std::this_thread::get_id() != main;
  }
  std::thread::id main = std::this_thread::get_id();
  int wakes = 0;
  bool onOtherThread = false;
};

} // namespace

TEST_F(ExtensionTest, WriteCycleRunsInItsFixedOrder) {
  // A download whose window has grown since its request went out.
  MemSink& running = sink(10);
  dm()->addStream(ft::FileId(6, 2), &running);
  dm()->requestFile(ft::FileId(6, 2), "running", 0, All);
  ext().writeMsgs(conn());
  probe.sent();

  // Now, with no room, one thing of every kind is queued.
  probe.end.pipeOut.setSpace(0);
  ext().fileData(conn(), ft::FileId(6, 2), (const uint8_t*)"abc", 3);
  MemSink& cancelled = sink(10);
  dm()->addStream(ft::FileId(6, 1), &cancelled);
  dm()->cancelDownload(ft::FileId(6, 1));
  dm()->releaseShare(5);
  ext().shareCtrl(conn(), 7, 0, 2);
  MemSink& fresh = sink(10);
  dm()->addStream(ft::FileId(6, 3), &fresh);
  dm()->requestFile(ft::FileId(6, 3), "fresh", 0, All);
  probe.upload().withdrawShare(conn(), 9);
  probe.engine.share({new MemFile("f", std::string(100, 'q'))}, 2, 40);
  ext().reqFile(conn(), "f", ft::FileId(40, 1), 10, 0, All, 0);
  EXPECT_EQ(Lines{}, probe.sent());

  probe.end.pipeOut.setSpace(-1);
  ext().writeMsgs(conn());
  Lines lines = probe.sent();
  ASSERT_GE(lines.size(), 8u);
  lines.resize(8);
  EXPECT_EQ((Lines{"abortFile 6/1", "releaseShare 5", "reqShare 7 '' 0",
                   "reqFile 'fresh' 6/3 10 0 18446744073709551615 0", "updateByteLimit 6/2 13",
                   "shareCtrl 9 1 0", "shareCtrl 40 0 2", "fileData 40/1 qqqqqqqqqq"}),
            lines);
}

TEST_F(ExtensionTest, PendingWritesWaitForTheSocketUnlessFileTransferIsPrioritised) {
  probe.engine.share({new MemFile("f", std::string(300, 'q'))}, 2, 40);
  probe.sent();
  auto bias = setting(ft::fileTransferBias, 0);
  {
    auto prioritise = setting(ft::prioritiseFileTransfer, false);
    ext().reqFile(conn(), "f", ft::FileId(40, 1), All, 0, All, 0);
    int after = probe.end.pipeOut.length();
    EXPECT_GT(after, 0);
    // Writes are pending: the next writable event goes on, not this call.
    ext().scheduleWriteMsg(conn());
    EXPECT_EQ(after, probe.end.pipeOut.length());
  }
  {
    auto prioritise = setting(ft::prioritiseFileTransfer, true);
    int before = probe.end.pipeOut.length();
    ext().scheduleWriteMsg(conn());
    EXPECT_GT(probe.end.pipeOut.length(), before);
    // While a batch of input is read, the cycle after it writes for all.
    before = probe.end.pipeOut.length();
    {
      ft::Extension::ReadingBatch batch(&ext(), conn());
      ext().scheduleWriteMsg(conn());
      EXPECT_EQ(before, probe.end.pipeOut.length());
    }
    ext().scheduleWriteMsg(conn());
    EXPECT_GT(probe.end.pipeOut.length(), before);
  }
}

TEST_F(ExtensionTest, UnknownConnectionsAreRefusedOrIgnored) {
  rfb::MsgHandler* stranger = reinterpret_cast<rfb::MsgHandler*>(&sinks);
  rdr::MemInStream nothing("", 0);
  EXPECT_THROW(ext().readMsg(nothing, stranger), plat::Exception);
  EXPECT_THROW(ext().scheduleWriteMsg(stranger), plat::Exception);
  ext().writeMsgs(stranger);
  ext().shareCtrl(stranger, 3, 0, 0);
  ext().reqFile(stranger, "f", ft::FileId(1, 1), 1, 0, 1, 0);
  EXPECT_EQ(nullptr, ext().downloadManagerFor(stranger));
  EXPECT_EQ(nullptr, ext().uploadManagerFor(stranger));
}

TEST_F(ExtensionTest, UnexpectedShareControlCodeChangesNothing) {
  ext().shareCtrl(conn(), 7, 2, 0);
  EXPECT_EQ(Lines{}, probe.sent());
  EXPECT_EQ(0u, dm()->shareId());
}

TEST_F(ExtensionTest, CallbacksHearOfSharesInOrder) {
  Lines calls;
  Listener first("first", &calls), second("second", &calls);
  ext().addShareCallback(&first);
  ext().addShareCallback(&second);
  bool firstIsFirst = &first < &second;

  ft::ShareProxy* a = remoteShare(7);
  ft::ShareProxy* b = remoteShare(8);
  Lines expected{"pending 7", "pending 7", "ready 7", "ready 7", "pending 8", "pending 8"};
  ASSERT_EQ(10u, calls.size());
  // Replacing the share: withdrawn (old) before ready (new), callback by
  // callback, in the set's order.
  std::string one = firstIsFirst ? "first" : "second";
  std::string two = firstIsFirst ? "second" : "first";
  EXPECT_EQ((Lines{one + " withdrawn 7", one + " ready 8", two + " withdrawn 7",
                   two + " ready 8"}),
            Lines(calls.begin() + 6, calls.end()));
  EXPECT_EQ(b, ext().getCurrentShare());
  b->release();

  // The connection goes: its share stops being current.
  calls.clear();
  probe.end.close();
  EXPECT_EQ((Lines{one + " withdrawn 8", two + " withdrawn 8"}), calls);
  EXPECT_EQ(nullptr, ext().getCurrentShare());
  a->release();
  b->release();
  ext().removeShareCallback(&first);
  ext().removeShareCallback(&second);
}

TEST_F(ExtensionTest, ForEachShareVisitsTheManagersLiveShares) {
  ft::ShareProxy* a = remoteShare(7);
  ft::ShareProxy* b = remoteShare(8);
  struct Visitor : ft::Extension::ShareIteratorCallback {
    void visit(ft::ShareProxy* share) override { ids.push_back(share->shareId()); }
    std::vector<uint32_t> ids;
  } visitor;
  ext().forEachShare(dm(), &visitor);
  std::sort(visitor.ids.begin(), visitor.ids.end());
  EXPECT_EQ((std::vector<uint32_t>{7, 8}), visitor.ids);
  a->release();
  ext().forEachShare(dm(), &visitor);
  EXPECT_EQ(3u, visitor.ids.size());
  b->release();
}

TEST_F(ExtensionTest, ShareReleasedLastIsWrittenByTheWriteCycleOnTheConnectionsThread) {
  // A write may fail (a reset connection) and nothing may leave the share's
  // destructor: on any thread it writes nothing, and the extension's thread
  // is woken for its write cycle instead.
  CountingWaker waker;
  ext().setWaker(&waker);
  for (uint32_t id : {7, 8}) {
    bool otherThread = id == 8;
    ft::ShareProxy* share = remoteShare(id);
    dm()->clearCurrentShare();
    int before = probe.end.pipeOut.length();
    if (otherThread)
      std::thread([share] { share->release(); }).join();
    else
      share->release();
    EXPECT_EQ(before, probe.end.pipeOut.length()) << id;
    EXPECT_EQ(otherThread, waker.onOtherThread);
    ext().runRequestedWrites();
    EXPECT_EQ(Lines{"releaseShare " + std::to_string(id)}, probe.sent());
  }
  EXPECT_EQ(2, waker.wakes);
  ext().setWaker(nullptr);
}

TEST_F(ExtensionTest, AShareIsReleasedOnceWhoeverIsDoneWithItFirst) {
  // Told from within a share callback or a sink's report, again once that
  // release is out, then by the last reference: one ReleaseShare, written
  // by the write cycle.
  ft::ShareProxy* share = remoteShare(7);
  int before = probe.end.pipeOut.length();
  share->tellReleased();
  EXPECT_EQ(before, probe.end.pipeOut.length());
  EXPECT_EQ(Lines{"releaseShare 7"}, probe.sent());
  share->tellReleased();
  dm()->clearCurrentShare();
  share->release();
  EXPECT_EQ(Lines{}, probe.sent());
}

TEST_F(ExtensionTest, AShareReleasedWhileItsRequestsWaitIsReleasedAfterThem) {
  // Streams opened ahead wait for their requests to go out, and the
  // share's last reference goes (its data object replaced): after the
  // release, the other end would answer them "File not shared".
  for (bool room : {true, false}) {
    uint32_t id = room ? 7 : 8;
    std::string name = std::to_string(id);
    ft::ShareProxy* share = remoteShare(id);
    MemSink& ahead = sink(10);
    dm()->addStream(ft::FileId(id, 0), &ahead);
    dm()->requestFile(ft::FileId(id, 0), "f", 0, All);
    dm()->releaseShare(5); // another share's release keeps its place
    dm()->clearCurrentShare();
    share->release();
    if (!room) {
      // Room for two releases, not for the request: the share's release
      // waits for it.
      probe.end.pipeOut.setSpace(24);
      ext().writeMsgs(conn());
      EXPECT_EQ(Lines{"releaseShare 5"}, probe.sent());
      probe.end.pipeOut.setSpace(-1);
      ext().writeMsgs(conn());
    }
    Lines expected{"reqFile 'f' " + name + "/0 10 0 18446744073709551615 0",
                   "releaseShare " + name};
    if (room)
      expected.insert(expected.begin(), "releaseShare 5");
    EXPECT_EQ(expected, probe.sent()) << room;
  }
}

TEST_F(ExtensionTest, WritesAskedForWhileABatchIsReadWaitForTheCycleAfterIt) {
  CountingWaker waker;
  ext().setWaker(&waker);
  int before = probe.end.pipeOut.length();
  {
    ft::Extension::ReadingBatch batch(&ext(), conn());
    dm()->releaseShare(5);
    ext().requestWriteCycle(conn());
    ext().scheduleWriteMsg(conn());
    EXPECT_EQ(before, probe.end.pipeOut.length());
  }
  EXPECT_EQ(0, waker.wakes);
  // The cycle after the batch, as the socket server runs it, writes it.
  ext().writeMsgs(conn());
  EXPECT_EQ(Lines{"releaseShare 5"}, probe.sent());
  // Outside a batch the thread is woken, and the cycle it runs writes.
  dm()->releaseShare(6);
  ext().requestWriteCycle(conn());
  EXPECT_EQ(1, waker.wakes);
  before = probe.end.pipeOut.length();
  ext().runRequestedWrites();
  EXPECT_GT(probe.end.pipeOut.length(), before);
  EXPECT_EQ(Lines{"releaseShare 6"}, probe.sent());
  ext().setWaker(nullptr);
}

TEST_F(ExtensionTest, FileRequestsOfABatchLeaveOnceHalfOfFtConcurrencyWait) {
  auto concurrency = setting(ft::ftConcurrency, 4);
  ft::Extension::ReadingBatch batch(&ext(), conn());
  int before = probe.end.pipeOut.length();
  for (uint32_t n : {1, 2}) {
    dm()->addStream(ft::FileId(6, n), &sink(10));
    dm()->requestFile(ft::FileId(6, n), ("f" + std::to_string(n)).c_str(), 0, All);
    EXPECT_EQ(n == 2, ext().writeEarly(conn())) << n;
  }
  EXPECT_GT(probe.end.pipeOut.length(), before);
  EXPECT_EQ((Lines{"reqFile 'f1' 6/1 10 0 18446744073709551615 0",
                   "reqFile 'f2' 6/2 10 0 18446744073709551615 0"}),
            probe.sent());
}

TEST_F(ExtensionTest, SharesTakenAndReleasedOnManyThreadsAtOnce) {
  // Taking the current share (share lock, then count lock) while other
  // threads drop the last reference (count lock, then share lock) must not
  // deadlock.
  CountingWaker waker;
  ext().setWaker(&waker);
  for (int round = 0; round < 20; round++) {
    std::vector<ft::ShareProxy*> refs;
    ft::ShareProxy* share = remoteShare(100 + round);
    for (int i = 0; i < 8; i++)
      refs.push_back(ext().getCurrentShare());
    std::vector<std::thread> threads;
    for (ft::ShareProxy* ref : refs)
      threads.emplace_back([ref] { ref->release(); });
    dm()->clearCurrentShare();
    for (int i = 0; i < 100; i++) {
      if (ft::ShareProxy* current = ext().getCurrentShare())
        current->release();
    }
    share->release();
    for (std::thread& t : threads)
      t.join();
    ext().runRequestedWrites();
    EXPECT_EQ(Lines{"releaseShare " + std::to_string(100 + round)}, probe.sent());
  }
  ext().setWaker(nullptr);
}

TEST_F(ExtensionTest, MessageThatHasNotAllArrivedIsResumed) {
  testing_support::TestConnection source;
  ft::MsgWriter writer(&source);
  writer.writeUpdateByteLimit(ft::FileId(1, 2), 99);
  std::vector<uint8_t> bytes = source.bytes();
  probe.in.bytes.assign(bytes.begin(), bytes.begin() + 9);
  probe.end.receive();
  EXPECT_EQ(ft::proxy::MsgReceiver::Reading, probe.end.receiver.state());
  probe.in.bytes.append(bytes.begin() + 9, bytes.end());
  probe.end.receive();
  EXPECT_NE(ft::proxy::MsgReceiver::Reading, probe.end.receiver.state());
  EXPECT_EQ("", probe.end.error);
}

namespace {

// A program that serves downloads only.
class DownloadsOnly : public ft::ConnectionManager {
public:
  ft::UploadManager* uploadManagerFor(ft::Extension*, rfb::MsgHandler*) override {
    return nullptr;
  }
  ft::DownloadManager* createDownloadManager(ft::Extension* e, rfb::MsgHandler* c) override {
    return new ft::DownloadManager(e, c);
  }
  void releaseConnection(ft::UploadManager*, ft::DownloadManager* d) override { delete d; }
};

} // namespace

TEST(ExtensionWithoutUploads, IgnoresRequestsForLocalFiles) {
  testing_support::TestConnection connection;
  testing_support::TestExtension extension;
  DownloadsOnly manager;
  extension.setConnectionManager(&manager);
  extension.extensionEnabled(&connection, "FileTransfer");
  EXPECT_EQ(nullptr, extension.uploadManagerFor(&connection));
  extension.reqShare(&connection, 1, "", 0);
  extension.reqFile(&connection, "f", ft::FileId(1, 1), 10, 0, 10, 0);
  extension.updateByteLimit(&connection, ft::FileId(1, 1), 20);
  extension.abortFile(&connection, ft::FileId(1, 1));
  extension.releaseShare(&connection, 1);
  EXPECT_TRUE(connection.bytes().empty());
  extension.extensionDisabled(&connection, "FileTransfer");
  EXPECT_EQ(nullptr, extension.downloadManagerFor(&connection));
}
