#include "Probe.h"
#include "Settings.h"

#include "ft/MsgWriter.h"
#include "ft/Parameters.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

using testing_support::MemDir;
using testing_support::MemFile;
using testing_support::Probe;
using testing_support::setting;

namespace {

typedef std::vector<std::string> Lines;
const uint64_t All = ~(uint64_t)0;

struct UploadManagerTest : testing::Test {
  Probe probe;
  ft::UploadManager& um() { return probe.upload(); }
  void cycle() { probe.ext().writeMsgs(probe.conn()); }
  // Shares the files as share 40 and has the other end ask for its listing.
  void shareAndList(std::vector<ft::FileProxy*> files) {
    probe.engine.share(files, 2, 40);
    probe.ext().reqShare(probe.conn(), 40, "", 0);
  }
  void request(const char* path, uint32_t number, uint64_t upTo, uint64_t start = 0,
               uint64_t end = All) {
    probe.ext().reqFile(probe.conn(), path, ft::FileId(40, number), upTo, start, end, 0);
  }
};

// Consumes its input and fills the output without finishing the message.
int deflateThatCannotFinish(z_stream* stream, int) {
  stream->next_in += stream->avail_in;
  stream->avail_in = 0;
  stream->next_out += stream->avail_out;
  stream->avail_out = 0;
  return Z_OK;
}

class CountingUploadManager : public ft::UploadManager {
public:
  using ft::UploadManager::UploadManager;
  using ft::UploadManager::shareIdCounter;
};

} // namespace

TEST(UploadManagerIds, CounterSkipsZeroWhenItWraps) {
  testing_support::TestExtension extension;
  CountingUploadManager um(&extension);
  EXPECT_NE(0u, um.shareIdCounter);
  um.shareIdCounter = 0xFFFFFFFE;
  EXPECT_EQ(0xFFFFFFFEu, um.newShare(0, 2));
  EXPECT_EQ(0xFFFFFFFFu, um.newShare(0, 2));
  EXPECT_EQ(1u, um.newShare(0, 2));
  EXPECT_EQ(2u, um.newShare(0, 2));
  // A given id is used as it is and leaves the counter alone.
  EXPECT_EQ(77u, um.newShare(77, 2));
  EXPECT_EQ(3u, um.newShare(0, 2));
  EXPECT_EQ(3u, um.currentShareId());
}

TEST_F(UploadManagerTest, AdvertisedOncePerConnectionAndShare) {
  probe.engine.share({new MemFile("f", "abc")}, 2, 40);
  EXPECT_EQ(Lines{"shareCtrl 40 0 2"}, probe.sent());
  cycle();
  EXPECT_EQ(Lines{}, probe.sent());
  um().connectionReady(probe.conn());
  EXPECT_EQ(Lines{"shareCtrl 40 0 2"}, probe.sent());
}

TEST_F(UploadManagerTest, AdvertisementWithoutRoomIsSentByALaterCycle) {
  probe.end.pipeOut.setSpace(12);
  probe.engine.share({new MemFile("f", "abc")}, 2, 40);
  EXPECT_EQ(Lines{}, probe.sent());
  probe.end.pipeOut.setSpace(-1);
  cycle();
  EXPECT_EQ(Lines{"shareCtrl 40 0 2"}, probe.sent());
}

TEST_F(UploadManagerTest, EmptyShareListsOnlyItsEnd) {
  shareAndList({});
  EXPECT_EQ((Lines{"shareCtrl 40 0 2", "shareDataEOF 40"}), probe.sent());
}

TEST_F(UploadManagerTest, RefusesListingsOfOtherSharesAndOutOfTurn) {
  probe.engine.share({new MemFile("f", "abc")}, 2, 40);
  probe.sent();
  EXPECT_FALSE(um().shareRequested(probe.conn(), 39, "", 0));
  EXPECT_TRUE(um().shareRequested(probe.conn(), 40, "", 0));
  EXPECT_FALSE(um().shareRequested(probe.conn(), 40, "", 0)); // already listing
  rfb::MsgHandler* stranger = reinterpret_cast<rfb::MsgHandler*>(&probe);
  EXPECT_FALSE(um().shareRequested(stranger, 40, "", 0));
}

TEST_F(UploadManagerTest, ListingComesInBatchesThatFitTheRoom) {
  std::vector<ft::FileProxy*> files;
  files.push_back(new MemDir("d"));
  for (int i = 0; i < 30; i++)
    files.push_back(new MemFile(("d/file" + std::to_string(i)).c_str(), "x"));
  auto bias = setting(ft::fileTransferBias, 95);
  probe.end.pipeOut.setSpace(300);
  shareAndList(files);
  int batches = 0;
  int entries = 0;
  bool ended = false;
  for (int i = 0; i < 40 && !ended; i++) {
    for (const std::string& line : probe.sent()) {
      if (line.compare(0, 10, "shareEntry") == 0)
        entries++;
      ended |= line == "shareDataEOF 40";
    }
    batches++;
    probe.end.pipeOut.setSpace(300);
    cycle();
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(31, entries);
  EXPECT_GT(batches, 5);
}

TEST_F(UploadManagerTest, ListingToADepthFoldsFolders) {
  shareAndList({new MemFile("a/x", "1"), new MemFile("a/y/z", "2")});
  probe.sent();
  um().connectionReady(probe.conn());
  probe.ext().reqShare(probe.conn(), 40, "a", 1);
  EXPECT_EQ((Lines{"shareCtrl 40 0 2", "shareEntry 40 'a/x' 0 1 1 2 3",
                   "shareEntry 40 'a/y' 1 0 0 0 0", "shareDataEOF 40"}),
            probe.sent());
}

TEST_F(UploadManagerTest, ServesAFileWithinItsByteLimit) {
  std::string contents(300, 'q');
  shareAndList({new MemFile("f", contents)});
  probe.sent();
  request("f", 1, 100);
  EXPECT_EQ(Lines{"fileData 40/1 " + std::string(100, 'q')}, probe.sent());
  cycle();
  EXPECT_EQ(Lines{}, probe.sent()); // paused at the limit
  probe.ext().updateByteLimit(probe.conn(), ft::FileId(40, 1), 1000);
  EXPECT_EQ((Lines{"fileData 40/1 " + std::string(200, 'q'), "fileEOF 40/1"}), probe.sent());
  EXPECT_FALSE(um().uploadsPending(probe.conn()));
}

TEST_F(UploadManagerTest, LimitBelowWhatWasSentHoldsTheUploadUntilItPasses) {
  shareAndList({new MemFile("f", std::string(300, 'q'))});
  probe.sent();
  request("f", 1, 100);
  probe.sent();
  probe.ext().updateByteLimit(probe.conn(), ft::FileId(40, 1), 50);
  cycle();
  EXPECT_EQ(Lines{}, probe.sent());
  probe.ext().updateByteLimit(probe.conn(), ft::FileId(40, 1), 150);
  EXPECT_EQ(Lines{"fileData 40/1 " + std::string(50, 'q')}, probe.sent());
}

TEST_F(UploadManagerTest, ShortFileEndsWhenItRunsOut) {
  shareAndList({new MemFile("f", "abc")});
  probe.sent();
  request("f", 1, 1000, 1, 500);
  EXPECT_EQ((Lines{"fileData 40/1 bc", "fileEOF 40/1"}), probe.sent());
}

TEST_F(UploadManagerTest, ANameListedTwiceIsServedFromItsFirstEntry) {
  shareAndList({new MemFile("f", "first"), new MemFile("g", "other"), new MemFile("f", "second")});
  probe.sent();
  request("f", 1, 1000);
  request("g", 2, 1000);
  EXPECT_EQ((Lines{"fileData 40/1 first", "fileEOF 40/1", "fileData 40/2 other", "fileEOF 40/2"}),
            probe.sent());
}

TEST_F(UploadManagerTest, UnsharedOrUnopenableFilesAreAnsweredWithAnError) {
  MemFile* locked = new MemFile("locked", "abc");
  locked->openError = "Access denied";
  shareAndList({new MemFile("File", "abc"), locked});
  probe.sent();
  request("file", 1, 1000); // names differ in case: not the same file
  request("locked", 2, 1000);
  probe.ext().reqFile(probe.conn(), "File", ft::FileId(41, 3), 1000, 0, All, 0);
  EXPECT_EQ((Lines{"fileError 40/1 'File not shared: file'", "fileEOF 40/1",
                   "fileError 40/2 'Access denied'", "fileEOF 40/2",
                   "fileError 41/3 'File not shared: File'", "fileEOF 41/3"}),
            probe.sent());
}

TEST(UploadManagerRoom, AnErrorTextWithoutRoomHoldsBackItsEndOfFile) {
  // The errors take 29 and 40 bytes, an end of file 14.
  Lines first = {"fileError 40/1 'Access denied'", "fileEOF 40/1"};
  Lines both = {first[0], first[1], "fileError 40/2 'File not shared: missing'", "fileEOF 40/2"};
  for (int space : {28, 39, 40}) {
    Probe probe;
    MemFile* locked = new MemFile("locked", "abc");
    locked->openError = "Access denied";
    probe.engine.share({locked}, 2, 40);
    probe.ext().reqShare(probe.conn(), 40, "", 0);
    probe.sent();
    probe.end.pipeOut.setSpace(0);
    probe.ext().reqFile(probe.conn(), "locked", ft::FileId(40, 1), 1000, 0, All, 0);
    probe.ext().reqFile(probe.conn(), "missing", ft::FileId(40, 2), 1000, 0, All, 0);
    EXPECT_EQ(space < 29 ? Lines{} : space < 40 ? first : both, probe.sentInRoom(space)) << space;
  }
}

TEST_F(UploadManagerTest, FiniteEndReachedWithoutRoomForTheEndIsSentLater) {
  shareAndList({new MemFile("f", std::string(300, 'q'))});
  probe.sent();
  // The data fills the room exactly: no room is left for the end of file.
  probe.end.pipeOut.setSpace(114);
  request("f", 1, 100, 0, 100);
  EXPECT_EQ(Lines{"fileData 40/1 " + std::string(100, 'q')}, probe.sent());
  probe.end.pipeOut.setSpace(-1);
  EXPECT_TRUE(um().uploadsPending(probe.conn()));
  cycle();
  EXPECT_EQ(Lines{"fileEOF 40/1"}, probe.sent());
}

TEST_F(UploadManagerTest, EmptyOrReversedRangesAreAnsweredAtOnce) {
  shareAndList({new MemFile("f", std::string(300, 'q'))});
  probe.sent();
  request("f", 1, 1000, 50, 50);
  EXPECT_EQ(Lines{"fileEOF 40/1"}, probe.sent());
  request("f", 2, 1000, 60, 50);
  EXPECT_EQ((Lines{"fileError 40/2 'Bad byte range: start 60 beyond end 50'", "fileEOF 40/2"}),
            probe.sent());
  EXPECT_FALSE(um().uploadsPending(probe.conn()));
}

TEST_F(UploadManagerTest, ZeroFirstLimitWaitsForItsRenewal) {
  shareAndList({new MemFile("f", "abcdef")});
  probe.sent();
  request("f", 1, 2, 2);
  cycle();
  EXPECT_EQ(Lines{}, probe.sent());
  probe.ext().updateByteLimit(probe.conn(), ft::FileId(40, 1), 100);
  EXPECT_EQ((Lines{"fileData 40/1 cdef", "fileEOF 40/1"}), probe.sent());
}

TEST_F(UploadManagerTest, RepeatedRequestReplacesTheRunningUpload) {
  shareAndList({new MemFile("f", "0123456789")});
  probe.sent();
  request("f", 1, 3);
  EXPECT_EQ(Lines{"fileData 40/1 012"}, probe.sent());
  request("f", 1, 100, 5);
  EXPECT_EQ((Lines{"fileData 40/1 56789", "fileEOF 40/1"}), probe.sent());
  cycle();
  EXPECT_EQ(Lines{}, probe.sent());
}

TEST_F(UploadManagerTest, AbortStopsTheUpload) {
  shareAndList({new MemFile("f", std::string(300, 'q'))});
  probe.sent();
  request("f", 1, 100);
  probe.sent();
  probe.ext().abortFile(probe.conn(), ft::FileId(40, 1));
  probe.ext().updateByteLimit(probe.conn(), ft::FileId(40, 1), 1000);
  EXPECT_EQ(Lines{}, probe.sent());
  EXPECT_FALSE(um().stopUpload(probe.conn(), ft::FileId(40, 1)));
}

TEST_F(UploadManagerTest, WithdrawalsGoOutInAscendingOrderWhenThereIsRoom) {
  probe.end.pipeOut.setSpace(0);
  um().withdrawShare(probe.conn(), 9);
  um().withdrawShare(probe.conn(), 3);
  um().withdrawShare(probe.conn(), 0xFFFFFFF0);
  EXPECT_TRUE(um().withdrawalsPending(probe.conn()));
  // Room for two: each takes 15 bytes of output, framing included.
  probe.end.pipeOut.setSpace(15 + 13);
  cycle();
  EXPECT_EQ((Lines{"shareCtrl 3 1 0", "shareCtrl 9 1 0"}), probe.sent());
  probe.end.pipeOut.setSpace(-1);
  cycle();
  EXPECT_EQ((Lines{"shareCtrl 4294967280 1 0"}), probe.sent());
  EXPECT_FALSE(um().withdrawalsPending(probe.conn()));
}

TEST_F(UploadManagerTest, CurrentShareReleasedByItsOnlyConnection) {
  shareAndList({new MemFile("f", "abc")});
  probe.sent();
  EXPECT_TRUE(um().releaseShare(probe.conn(), 40));
  // Its record is gone while it is still the current share: nothing that
  // needs it may find it missing.
  um().addFile(new MemFile("g", "def"));
  um().connectionReady(probe.conn());
  EXPECT_FALSE(um().listingPending(probe.conn()));
  EXPECT_FALSE(um().shareRequested(probe.conn(), 40, "", 0));
  request("f", 1, 100);
  EXPECT_EQ((Lines{"fileError 40/1 'File not shared: f'", "fileEOF 40/1"}), probe.sent());
  // A new share is offered as usual.
  probe.engine.share({new MemFile("h", "ghi")}, 2, 41);
  EXPECT_EQ(Lines{"shareCtrl 41 0 2"}, probe.sent());
}

TEST_F(UploadManagerTest, CompressesWhatCompressesWell) {
  auto compress = setting(ft::ftCompress, true);
  std::string text;
  for (int i = 0; i < 200; i++)
    text += "the same words again and again ";
  shareAndList({new MemFile("f", text)});
  probe.sent();
  probe.ext().reqFile(probe.conn(), "f", ft::FileId(40, 1), All, 0, All, 1);
  Lines lines = probe.sent();
  ASSERT_FALSE(lines.empty());
  // The reader inflates on the way in, so what arrives is the text itself.
  std::string received;
  for (const std::string& line : lines)
    if (line.compare(0, 14, "fileData 40/1 ") == 0)
      received += line.substr(14);
  EXPECT_EQ(text, received);
  EXPECT_EQ("fileEOF 40/1", lines.back());
  EXPECT_LT(probe.out.moved, text.size() / 4);
}

TEST_F(UploadManagerTest, DeflatedFilesGoOnThroughOneStreamAfterAnAbort) {
  auto compress = setting(ft::ftCompress, true);
  std::string text;
  for (int i = 0; text.size() < 200000; i++)
    text += "line " + std::to_string(i * 7 % 9973) + " of the log\n";
  shareAndList({new MemFile("f", text), new MemFile("g", text)});
  probe.sent();
  probe.ext().reqFile(probe.conn(), "f", ft::FileId(40, 1), 50000, 0, All, 1);
  probe.ext().reqFile(probe.conn(), "g", ft::FileId(40, 2), 50000, 0, All, 1);
  Lines lines = probe.sent();
  probe.ext().abortFile(probe.conn(), ft::FileId(40, 1));
  probe.ext().updateByteLimit(probe.conn(), ft::FileId(40, 2), All);
  // The rest of g goes on from the stream that carried both files so far:
  // the reader that read those messages reads the next ones.
  Lines rest = probe.sent();
  lines.insert(lines.end(), rest.begin(), rest.end());
  std::string f, g;
  for (const std::string& line : lines) {
    if (line.compare(0, 14, "fileData 40/1 ") == 0)
      f += line.substr(14);
    if (line.compare(0, 14, "fileData 40/2 ") == 0)
      g += line.substr(14);
  }
  EXPECT_EQ(text.substr(0, 50000), f);
  EXPECT_TRUE(g == text);
  EXPECT_EQ("fileEOF 40/2", lines.back());
}

TEST(UploadManagerFailure, AFailedWriteCycleClosesTheConnectionAndWritesNoMore) {
  auto compress = setting(ft::ftCompress, true);
  ft::MsgWriter::DeflateFunction real = ft::MsgWriter::setDeflateFunction(deflateThatCannotFinish);
  // Deflate that cannot finish a message, and out of memory.
  for (bool outOfMemory : {false, true}) {
    if (outOfMemory)
      ft::MsgWriter::setDeflateFunction(real);
    Probe probe;
    MemFile* file = new MemFile("f", std::string(5000, 'z'));
    file->outOfMemory = outOfMemory;
    probe.engine.share({file, new MemFile("g", "g")}, 2, 40);
    probe.ext().reqShare(probe.conn(), 40, "", 0);
    probe.sent();
    probe.ext().reqFile(probe.conn(), "f", ft::FileId(40, 1), All, 0, All, 1);
    probe.ext().reqFile(probe.conn(), "g", ft::FileId(40, 2), All, 0, All, 1);
    // No error for the file: the connection's stream is what failed.
    EXPECT_EQ(Lines{}, probe.sent()) << outOfMemory;
    EXPECT_TRUE(probe.end.closing) << outOfMemory;
  }
}

TEST_F(UploadManagerTest, OpenUploadsOfAConnectionAreBounded) {
  MemFile* file = new MemFile("f", std::string(1000, 'q'));
  shareAndList({file, new MemFile("g", "ok")});
  probe.sent();
  // Requests never given room stay open; one more than the bound is refused.
  const uint32_t most = ft::UploadManager::MaxOpenUploads;
  for (uint32_t number = 1; number <= most + 1; number++)
    request("f", number, 0);
  std::string beyond = "40/" + std::to_string(most + 1);
  EXPECT_EQ((Lines{"fileError " + beyond + " 'Too many files requested at once (256 at most)'",
                   "fileEOF " + beyond}),
            probe.sent());
  EXPECT_EQ((int)most, file->opened);
  // A file given up makes room for the next; a repeated request replaces
  // its own upload.
  probe.ext().abortFile(probe.conn(), ft::FileId(40, 1));
  request("f", 2, 0);
  request("g", most + 2, 100);
  EXPECT_EQ((Lines{"fileData 40/" + std::to_string(most + 2) + " ok",
                   "fileEOF 40/" + std::to_string(most + 2)}),
            probe.sent());
}
