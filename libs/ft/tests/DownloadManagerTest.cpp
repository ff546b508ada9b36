#include "Probe.h"
#include "Settings.h"

#include "ft/Parameters.h"
#include "ft/ShareProxy.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using testing_support::MemSink;
using testing_support::Probe;
using testing_support::setting;

namespace {

typedef std::vector<std::string> Lines;
const uint64_t All = ~(uint64_t)0;

struct DownloadManagerTest : testing::Test {
  // Outlive the probe, whose end closes the streams still registered.
  std::deque<MemSink> sinks;
  Probe probe;
  MemSink& sink(uint64_t room = 1 << 20) {
    sinks.emplace_back(room);
    return sinks.back();
  }
  ft::DownloadManager* dm() { return probe.download(); }
  void cycle() { probe.ext().writeMsgs(probe.conn()); }
  void data(const ft::FileId& id, const std::string& bytes) {
    probe.ext().fileData(probe.conn(), id, (const uint8_t*)bytes.data(), (int)bytes.size());
  }
};

} // namespace

TEST_F(DownloadManagerTest, AdvertisementAsksForTheListingOnce) {
  probe.ext().shareCtrl(probe.conn(), 5, 0, 1);
  EXPECT_EQ(Lines{"reqShare 5 '' 0"}, probe.sent());
  EXPECT_EQ(ft::DownloadManager::ListingRequested, dm()->shareState());
  EXPECT_EQ(1u, dm()->shareFlags());

  // The same id again changes nothing.
  probe.ext().shareEntry(probe.conn(), 5, new ft::ShareEntry("a", 0, 1, 0, 0, 0));
  probe.ext().shareCtrl(probe.conn(), 5, 0, 1);
  cycle();
  EXPECT_EQ(Lines{}, probe.sent());
  EXPECT_EQ(1u, dm()->listing().size());

  // Share 0 empties the listing and asks for nothing.
  probe.ext().shareCtrl(probe.conn(), 0, 0, 0);
  cycle();
  EXPECT_EQ(Lines{}, probe.sent());
  EXPECT_EQ(ft::DownloadManager::Idle, dm()->shareState());
  EXPECT_TRUE(dm()->listing().empty());
}

TEST_F(DownloadManagerTest, AListingHoldsOnlyEntriesAskedForAndNoMoreThanItsBound) {
  auto entry = [] { return new ft::ShareEntry("f", 0, 1, 0, 0, 0); };
  probe.ext().shareEntry(probe.conn(), 5, entry()); // before the advertisement
  probe.ext().shareCtrl(probe.conn(), 5, 0, 2);
  probe.ext().shareEntry(probe.conn(), 6, entry()); // of another share
  probe.ext().shareEntry(probe.conn(), 5, entry());
  EXPECT_EQ(1u, dm()->listing().size());
  uint64_t bound = ft::DownloadManager::setListingLimit(2000);
  EXPECT_THROW(
      for (int i = 0; i < 100; i++) probe.ext().shareEntry(probe.conn(), 5, entry()),
      plat::Exception);
  ft::DownloadManager::setListingLimit(bound);
  EXPECT_LT(dm()->listing().size(), 100u);
}

TEST_F(DownloadManagerTest, EndOfListingOnlyForTheFollowedShareWhileItsListingIsOpen) {
  probe.ext().shareCtrl(probe.conn(), 5, 0, 2);
  probe.sent();
  try {
    dm()->ready(6);
    FAIL();
  } catch (plat::Exception& e) {
    EXPECT_STREQ("Bad sequence number in ready", e.str());
  }
  dm()->ready(5);
  ft::ShareProxy* share = probe.ext().getCurrentShare();
  ASSERT_TRUE(share);
  share->release();

  // A second end of the same listing must not hand the share on again.
  EXPECT_THROW(dm()->ready(5), plat::Exception);
  ft::ShareProxy* still = probe.ext().getCurrentShare();
  EXPECT_EQ(share, still);
  still->release();
}

TEST_F(DownloadManagerTest, RequestGoesOutOnlyWithARegisteredStream) {
  dm()->requestFile(ft::FileId(5, 1), "a", 0, All);
  cycle();
  EXPECT_EQ(Lines{}, probe.sent()); // dropped unsent

  MemSink& sink = this->sink(1000);
  dm()->addStream(ft::FileId(5, 2), &sink);
  dm()->requestFile(ft::FileId(5, 2), "b/c", 10, 20);
  cycle();
  EXPECT_EQ(Lines{"reqFile 'b/c' 5/2 1000 10 20 0"}, probe.sent());
  EXPECT_EQ(1000u, sink.grantedLimit);

  EXPECT_THROW(dm()->addStream(ft::FileId(5, 2), &sink), plat::Exception);
  EXPECT_THROW(dm()->requestFile(ft::FileId(5, 3), "", 0, All), plat::Exception);
}

TEST_F(DownloadManagerTest, RequestWaitsForRoomAndAsksForCompressionWhenAllowed) {
  probe.engine.extension.compress = true;
  MemSink& sink = this->sink(100);
  dm()->addStream(ft::FileId(5, 1), &sink);
  dm()->requestFile(ft::FileId(5, 1), "abc", 0, All);
  probe.end.pipeOut.setSpace(3 + 40);
  cycle();
  EXPECT_EQ(Lines{}, probe.sent());
  probe.end.pipeOut.setSpace(3 + 41);
  cycle();
  EXPECT_EQ(Lines{"reqFile 'abc' 5/1 100 0 18446744073709551615 1"}, probe.sent());
}

TEST_F(DownloadManagerTest, WindowRenewalWithAndWithoutTheLowWaterMark) {
  MemSink& sink = this->sink(100);
  ft::FileId id(5, 1);
  dm()->addStream(id, &sink);
  dm()->requestFile(id, "f", 0, All);
  cycle();
  probe.sent();
  {
    auto lwm = setting(ft::fileTransferLWM, -1);
    data(id, "x");
    cycle();
    EXPECT_EQ(Lines{"updateByteLimit 5/1 101"}, probe.sent());
    cycle();
    EXPECT_EQ(Lines{}, probe.sent()); // the window did not grow
  }
  {
    // Renewed only once no more than 0 granted bytes are outstanding.
    auto lwm = setting(ft::fileTransferLWM, 0);
    data(id, std::string(99, 'y'));
    cycle();
    EXPECT_EQ(Lines{}, probe.sent());
    data(id, "z");
    cycle();
    EXPECT_EQ(Lines{"updateByteLimit 5/1 201"}, probe.sent());
  }
  EXPECT_FALSE(sink.overran);
}

TEST_F(DownloadManagerTest, FailingOrCancellingSinkAbortsTheFile) {
  MemSink& cancelled = sink(100);
  MemSink& failing = sink(100);
  cancelled.cancelAfter = 0;
  failing.failWith = "disk full";
  dm()->addStream(ft::FileId(5, 1), &cancelled);
  data(ft::FileId(5, 1), "abc");
  EXPECT_EQ(Lines{"abortFile 5/1"}, probe.sent());
  // A sink that gave up itself is closed as done ...
  EXPECT_EQ(1, cancelled.closes);
  EXPECT_EQ("", cancelled.closeMessage);
  // ... one that failed learns why, and is not told that all went well.
  dm()->addStream(ft::FileId(5, 2), &failing);
  data(ft::FileId(5, 2), "abc");
  EXPECT_EQ(Lines{"abortFile 5/2"}, probe.sent());
  EXPECT_EQ("disk full", failing.closeMessage);

  // Later data is for an unknown id and goes nowhere.
  data(ft::FileId(5, 1), "more");
  EXPECT_EQ(1, cancelled.writes);
  EXPECT_EQ(1, cancelled.closes);
}

TEST_F(DownloadManagerTest, AbortWithoutRoomWaitsForTheCycle) {
  MemSink& sink = this->sink(100);
  sink.cancelAfter = 0;
  dm()->addStream(ft::FileId(5, 1), &sink);
  probe.end.pipeOut.setSpace(0);
  data(ft::FileId(5, 1), "abc");
  EXPECT_EQ(Lines{}, probe.sent());
  EXPECT_TRUE(sink.closed());
  probe.end.pipeOut.setSpace(-1);
  cycle();
  EXPECT_EQ(Lines{"abortFile 5/1"}, probe.sent());
}

TEST(DownloadManagerRoom, RequestsAndAbortsWaitForRoomForTheirWholeMessage) {
  // An abort takes 12 bytes, the request 44.
  Lines aborts = {"abortFile 5/1", "abortFile 5/2"};
  Lines all = {aborts[0], aborts[1], "reqFile 'abc' 5/3 1048576 0 18446744073709551615 0"};
  for (int space : {11, 27, 43, 44}) {
    std::deque<MemSink> sinks(3);
    Probe probe;
    sinks[0].failWith = "disk full";
    for (uint32_t i = 0; i < 3; i++)
      probe.download()->addStream(ft::FileId(5, i + 1), &sinks[i]);
    probe.end.pipeOut.setSpace(space);
    probe.download()->requestFile(ft::FileId(5, 3), "abc", 0, All);
    probe.ext().fileData(probe.conn(), ft::FileId(5, 1), (const uint8_t*)"x", 1);
    probe.download()->cancelDownload(ft::FileId(5, 2));
    Lines sent = probe.sent();
    for (const std::string& line : probe.sentInRoom(space))
      sent.push_back(line);
    EXPECT_EQ(space < 12 ? Lines{} : space < 44 ? aborts : all, sent) << space;
  }
}

TEST_F(DownloadManagerTest, EndOfFileAndErrorsCloseTheirStream) {
  MemSink& done = sink();
  MemSink& failed = sink();
  MemSink& silent = sink();
  dm()->addStream(ft::FileId(5, 1), &done);
  dm()->addStream(ft::FileId(5, 2), &failed);
  dm()->addStream(ft::FileId(5, 3), &silent);
  data(ft::FileId(5, 1), "abc");
  probe.ext().fileEOF(probe.conn(), ft::FileId(5, 1));
  EXPECT_EQ("abc", done.received);
  EXPECT_EQ("", done.closeMessage);
  probe.ext().fileError(probe.conn(), ft::FileId(5, 2), "gone");
  EXPECT_EQ("gone", failed.closeMessage);
  // An error without a text is still an error.
  probe.ext().fileError(probe.conn(), ft::FileId(5, 3), "");
  EXPECT_NE("", silent.closeMessage);
}

TEST_F(DownloadManagerTest, ADownloadOfAnotherSizeThanListedFails) {
  MemSink& shorter = sink();
  MemSink& longer = sink();
  shorter.expectedSize = 5;
  longer.expectedSize = 2;
  dm()->addStream(ft::FileId(5, 1), &shorter);
  dm()->addStream(ft::FileId(5, 2), &longer);
  data(ft::FileId(5, 1), "abc");
  probe.ext().fileEOF(probe.conn(), ft::FileId(5, 1));
  EXPECT_EQ("Size mismatch: 3 bytes received, 5 expected", shorter.closeMessage);
  data(ft::FileId(5, 2), "ab");
  data(ft::FileId(5, 2), "c"); // not taken; the other end stops sending
  EXPECT_EQ("ab", longer.received);
  EXPECT_EQ("Size mismatch: 3 bytes received, 2 expected", longer.closeMessage);
  EXPECT_EQ(Lines{"abortFile 5/2"}, probe.sent());
}

TEST_F(DownloadManagerTest, CancelQueuesTheAbortForTheWriteCycleItAsksFor) {
  // A cancel may come from a sink's report or a destructor, where a write
  // that fails (a reset connection) must not land.
  MemSink& sink = this->sink();
  dm()->addStream(ft::FileId(5, 1), &sink);
  int before = probe.end.pipeOut.length();
  dm()->cancelDownload(ft::FileId(5, 1));
  EXPECT_EQ("Download cancelled", sink.closeMessage);
  EXPECT_EQ(before, probe.end.pipeOut.length());
  EXPECT_TRUE(probe.woken);
  EXPECT_EQ(Lines{"abortFile 5/1"}, probe.sent());
}

TEST_F(DownloadManagerTest, WithdrawalClosesTheSharesStreamsAndTheCurrentShare) {
  probe.ext().shareCtrl(probe.conn(), 5, 0, 2);
  probe.ext().shareDataEOF(probe.conn(), 5);
  MemSink& mine = sink();
  MemSink& other = sink();
  dm()->addStream(ft::FileId(5, 1), &mine);
  dm()->addStream(ft::FileId(6, 1), &other);
  probe.sent();

  probe.ext().shareCtrl(probe.conn(), 5, 1, 0);
  EXPECT_EQ("Files withdrawn by source", mine.closeMessage);
  EXPECT_FALSE(other.closed());
  EXPECT_EQ(nullptr, probe.ext().getCurrentShare());
  EXPECT_EQ(0u, dm()->shareId());
  // The share went with its last reference.
  EXPECT_EQ(Lines{"releaseShare 5"}, probe.sent());
}

TEST_F(DownloadManagerTest, GoingAwayClosesEveryRunningDownload) {
  MemSink& one = sink();
  MemSink& two = sink();
  dm()->addStream(ft::FileId(5, 1), &one);
  dm()->addStream(ft::FileId(5, 2), &two);
  probe.end.close();
  EXPECT_EQ("Connection closed", one.closeMessage);
  EXPECT_EQ("Connection closed", two.closeMessage);
}
