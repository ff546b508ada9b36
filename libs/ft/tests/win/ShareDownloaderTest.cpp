// The share downloader between two engines joined through memory: one
// offers files from memory, the other saves them into a temporary folder.
#include "../Settings.h"
#include "NotReadyDrive.h"
#include "RefusingDisk.h"

#include "ft/Parameters.h"
#include "ft/ShareProxy.h"
#include "ft/win/ShareDownloader.h"
#include "plat/LogWriter.h"
#include "plat/win/File.h"
#include "testing/FtEngine.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using ft::ShareDownloader;
using namespace testing_support;

namespace {

std::string bytes(size_t n, unsigned seed) {
  std::string s(n, 0);
  for (size_t i = 0; i < n; i++)
    s[i] = (char)(seed * 31 + i * 7 + i / 253);
  return s;
}

// What the downloads model hears, in order.
struct Recorder : ShareDownloader::SDCallback {
  std::vector<std::string> calls;
  int progressCalls = 0;
  uint64_t lastDone = 0;

  bool has(const std::string& call) const {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }
  void downloadStarted(const ShareDownloader::DownloadId&,
                       const std::set<std::string>& names) override {
    std::string all;
    for (const std::string& n : names)
      all += (all.empty() ? "" : ",") + n;
    calls.push_back("started " + all);
  }
  void setRootDir(const ShareDownloader::DownloadId&, const char*) override {
    calls.push_back("root");
  }
  void fileStarting(const ShareDownloader::DownloadId&, const char* name) override {
    calls.push_back(std::string("starting ") + name);
  }
  void setIconPath(const ShareDownloader::DownloadId&, const char*) override {}
  void downloadFailed(const ShareDownloader::DownloadId&, const char* message,
                      bool retryable) override {
    calls.push_back(std::string(retryable ? "retryable " : "failed ") + message);
  }
  void showError(const char* message) override { calls.push_back(std::string("error ") + message); }
  void progress(const ShareDownloader::DownloadId&, uint64_t done, uint64_t, uint32_t,
                uint32_t) override {
    progressCalls++;
    lastDone = done;
  }
  void downloadComplete(const ShareDownloader::DownloadId&) override {
    calls.push_back("complete");
  }
};

// Log lines of both engines, in order.
struct Captured : plat::Logger {
  Captured() : Logger("sdcapture") { registerLogger(); }
  std::vector<std::string> lines;
  void write(int, const char* writer, const char* text) override {
    lines.push_back(std::string(writer) + ": " + text);
  }
  int count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& l : lines)
      n += l.compare(0, prefix.size(), prefix) == 0;
    return n;
  }
};
Captured captured;

struct Logging {
  explicit Logging(const char* params) {
    captured.lines.clear();
    plat::LogWriter::applyLogParams(params);
  }
  ~Logging() { plat::LogWriter::applyLogParams(""); }
};

struct ShareDownloaderTest : testing::Test {
  TempDir dir;
  Engine a;
  Engine b;
  MemLink link{&a, &b};
  Recorder recorder;
  ShareDownloader downloader;
  ft::ShareProxy* share = nullptr;

  ShareDownloaderTest() { downloader.setCallback(&recorder); }
  ~ShareDownloaderTest() override {
    if (share)
      share->release();
  }

  // a offers the files; b lists them; the download starts into dir.
  ShareDownloader::DownloadId start(std::vector<ft::FileProxy*> files) {
    uint32_t id = a.share(files, 1);
    EXPECT_TRUE(link.runUntil([&] {
      ft::ShareProxy* s = b.extension.getCurrentShare();
      bool ready = s && s->shareId() == id;
      if (s)
        s->release();
      return ready;
    }));
    share = b.extension.getCurrentShare();
    downloader.download(share, dir.path().c_str());
    return ShareDownloader::DownloadId(b.download(), id);
  }
  bool finished() {
    for (const std::string& call : recorder.calls) {
      if (call == "complete" || call.compare(0, 7, "failed ") == 0)
        return true;
    }
    return false;
  }
  std::string saved(const std::string& name) { return readFile(dir.file(name)); }
  bool exists(const std::string& name) { return plat::fileExists(dir.file(name).c_str()); }
};

} // namespace

TEST_F(ShareDownloaderTest, SavesFoldersAndFilesByteForByte) {
  std::string big = bytes(700000, 1), small = bytes(10, 2);
  start({new MemDir("top"), new MemFile("top/big", big), new MemDir("top/sub"),
         new MemFile("top/sub/small", small), new MemFile("empty", ""),
         new MemFile("later/deep/file", small)});
  ASSERT_TRUE(link.runUntil([&] { return finished(); }));
  EXPECT_EQ((std::vector<std::string>{"started empty,later,top", "root", "starting top",
                                      "starting top/big", "starting top/sub",
                                      "starting top/sub/small", "starting empty",
                                      "starting later/deep/file", "complete"}),
            recorder.calls);
  EXPECT_TRUE(saved("top\\big") == big);
  EXPECT_EQ(small, saved("top\\sub\\small"));
  EXPECT_EQ("", saved("empty"));
  EXPECT_EQ(small, saved("later\\deep\\file"));
  EXPECT_EQ(700020u, recorder.lastDone);
}

TEST_F(ShareDownloaderTest, AShareOfFoldersOnlyCompletesAtOnce) {
  Logging logging("ftExtension:sdcapture:100");
  start({new MemDir("a"), new MemDir("a/b"), new MemDir("c")});
  EXPECT_EQ((std::vector<std::string>{"started a,c", "root", "starting a", "starting a/b",
                                      "starting c", "complete"}),
            recorder.calls);
  EXPECT_TRUE(plat::isDirectory(dir.file("a\\b").c_str()));
  EXPECT_TRUE(plat::isDirectory(dir.file("c").c_str()));
  link.run();
  EXPECT_EQ(1, captured.count("ftExtension: Remote releasing "));
}

TEST_F(ShareDownloaderTest, NoMoreThanFtConcurrencyFilesAtOnceInListingOrder) {
  auto concurrency = setting(ft::ftConcurrency, 2);
  Logging logging("DownloadManager:sdcapture:100");
  std::vector<ft::FileProxy*> files;
  for (int i = 0; i < 5; i++)
    files.push_back(new MemFile(("f" + std::to_string(i)).c_str(), bytes(90000, i)));
  start(files);
  ASSERT_TRUE(link.runUntil([&] { return finished(); }));
  EXPECT_EQ("complete", recorder.calls.back());
  int open = 0, most = 0;
  std::vector<std::string> requested;
  bool thirdAfterAnEnd = false;
  for (const std::string& line : captured.lines) {
    if (line.compare(0, 27, "DownloadManager: Requested ") == 0) {
      requested.push_back(line.substr(27));
      most = std::max(most, ++open);
      if (requested.size() == 3)
        thirdAfterAnEnd = open <= 2;
    } else if (line == "DownloadManager: Download complete.") {
      open--;
    }
  }
  EXPECT_EQ(2, most);
  EXPECT_TRUE(thirdAfterAnEnd);
  EXPECT_EQ((std::vector<std::string>{"f0", "f1", "f2", "f3", "f4"}), requested);
  for (int i = 0; i < 5; i++)
    EXPECT_TRUE(saved("f" + std::to_string(i)) == bytes(90000, i)) << i;
}

TEST_F(ShareDownloaderTest, ExistingFilesAndFoldersAreNeverOverwritten) {
  writeFile(dir.file("report.txt"), "old report");
  writeFile(dir.file("report (1).txt"), "older report");
  plat::mkDir(dir.file("photos").c_str());
  writeFile(dir.file("photos\\a.jpg"), "old photo");
  start({new MemFile("report.txt", "new report"), new MemDir("photos"),
         new MemFile("photos/a.jpg", "new photo"), new MemFile("photos/trip/b.jpg", "trip")});
  ASSERT_TRUE(link.runUntil([&] { return finished(); }));
  EXPECT_EQ("complete", recorder.calls.back());
  EXPECT_EQ("old report", saved("report.txt"));
  EXPECT_EQ("older report", saved("report (1).txt"));
  EXPECT_EQ("new report", saved("report (2).txt"));
  EXPECT_EQ("old photo", saved("photos\\a.jpg"));
  EXPECT_EQ("new photo", saved("photos (1)\\a.jpg"));
  EXPECT_EQ("trip", saved("photos (1)\\trip\\b.jpg"));
}

TEST_F(ShareDownloaderTest, NamesFromTheOtherEndStayInsideTheFolder) {
  start({new MemFile("a:b", "1"), new MemFile("AUX.txt", "2"), new MemFile("nul.txt", "3"),
         new MemFile("..\\..\\escape", "4"), new MemFile("C:\\x", "5"), new MemDir("Com1"),
         new MemFile("Com1/LPT1 .log", "6"), new MemFile("trail. ", "7")});
  ASSERT_TRUE(link.runUntil([&] { return finished(); }));
  EXPECT_EQ("complete", recorder.calls.back());
  EXPECT_EQ("1", saved("a-b"));
  EXPECT_EQ("2", saved("AUX-.txt"));
  EXPECT_EQ("3", saved("nul-.txt"));
  EXPECT_EQ("4", saved("..-..-escape"));
  EXPECT_EQ("5", saved("C--x"));
  EXPECT_EQ("6", saved("Com1-\\LPT1 -.log"));
  EXPECT_EQ("7", saved("trail--"));
  EXPECT_FALSE(plat::fileExists((dir.path() + "\\..\\..\\escape").c_str()));
}

TEST_F(ShareDownloaderTest, CancellingThreeOpenFilesAbortsEachAndReleasesOnce) {
  Logging logging("ftExtension:sdcapture:100");
  auto buffer = setting(ft::fileTransferBufferSize, 65536);
  ShareDownloader::DownloadId id =
      start({new MemFile("x", bytes(3000000, 1)), new MemFile("y", bytes(3000000, 2)),
             new MemFile("z", bytes(3000000, 3))});
  ASSERT_TRUE(link.runUntil([&] { return recorder.lastDone > 500000; }));
  ASSERT_TRUE(exists("x") && exists("y") && exists("z"));
  captured.lines.clear();
  std::vector<std::string> before = recorder.calls;
  downloader.cancel(id);
  link.run();
  EXPECT_EQ(3, captured.count("ftExtension: Sink aborting "));
  EXPECT_EQ(1, captured.count("ftExtension: Remote releasing "));
  EXPECT_FALSE(exists("x") || exists("y") || exists("z"));
  EXPECT_EQ(before, recorder.calls); // a cancelled download reports nothing more
  EXPECT_FALSE(downloader.resume(id));
}

TEST_F(ShareDownloaderTest, APausedDownloadHoldsItsDataUntilResumed) {
  auto buffer = setting(ft::fileTransferBufferSize, 65536);
  std::string one = bytes(1000000, 1), two = bytes(800000, 2);
  ShareDownloader::DownloadId id = start({new MemFile("one", one), new MemFile("two", two)});
  ASSERT_TRUE(link.runUntil([&] { return recorder.lastDone > 200000; }));
  downloader.pause(id);
  link.run(); // what was granted arrives and is held; then nothing moves
  uint64_t held = recorder.lastDone;
  size_t onDisk = saved("one").size() + saved("two").size();
  EXPECT_EQ(held, onDisk);
  EXPECT_LT(onDisk, one.size() + two.size());
  EXPECT_TRUE(downloader.resume(id));
  ASSERT_TRUE(link.runUntil([&] { return finished(); }));
  EXPECT_EQ("complete", recorder.calls.back());
  EXPECT_TRUE(saved("one") == one);
  EXPECT_TRUE(saved("two") == two);
}

TEST_F(ShareDownloaderTest, FilesThatEndWhilePausedFinishOnResume) {
  ShareDownloader::DownloadId id = start({new MemFile("s", "small"), new MemFile("t", "tiny")});
  link.step();          // the requests go out with their windows
  downloader.pause(id); // before any data: everything granted is held
  link.run();
  EXPECT_EQ("", saved("s"));
  EXPECT_FALSE(finished());
  // Both files end during the resume, and with them the download: the
  // model has nothing more to do.
  EXPECT_FALSE(downloader.resume(id));
  EXPECT_EQ("complete", recorder.calls.back());
  EXPECT_EQ("small", saved("s"));
  EXPECT_EQ("tiny", saved("t"));
}

TEST_F(ShareDownloaderTest, FilesThatEndWhilePausedAreDeletedOnCancel) {
  ShareDownloader::DownloadId id = start({new MemFile("s", "small"), new MemFile("t", "tiny")});
  link.step();          // the requests go out with their windows
  downloader.pause(id); // the files arrive whole and wait for a resume
  link.run();
  ASSERT_EQ(9u, b.download()->bytesReceived());
  std::vector<std::string> before = recorder.calls;
  downloader.cancel(id);
  link.run();
  EXPECT_FALSE(exists("s") || exists("t"));
  EXPECT_EQ(before, recorder.calls);
}

TEST_F(ShareDownloaderTest, AFileTheOtherEndCannotSendFailsTheDownload) {
  MemFile* broken = new MemFile("broken", "xyz");
  broken->openError = "Sharing violation";
  start({new MemFile("fine", "ok"), broken});
  ASSERT_TRUE(link.runUntil([&] { return finished(); }));
  EXPECT_EQ("failed Sharing violation", recorder.calls.back());
  EXPECT_FALSE(recorder.has("complete"));
  EXPECT_FALSE(exists("broken")); // no partial file
}

TEST_F(ShareDownloaderTest, AFileShorterThanItsListingFailsAndIsDeleted) {
  MemFile* shrunk = new MemFile("shrunk", "xyz");
  shrunk->size = 5;
  start({shrunk});
  ASSERT_TRUE(link.runUntil([&] { return finished(); }));
  EXPECT_EQ("failed File ended after 3 of its 5 bytes", recorder.calls.back());
  EXPECT_FALSE(exists("shrunk"));
}

int retryableReports(const Recorder& recorder) {
  int n = 0;
  for (const std::string& call : recorder.calls)
    n += call.compare(0, 10, "retryable ") == 0;
  return n;
}

TEST_F(ShareDownloaderTest, AFileThatCannotBeCreatedIsReportedOnceAndTheRestArrives) {
  std::string tooLong(300, 'n');
  start({new MemFile(tooLong.c_str(), "lost"), new MemFile((tooLong + "2").c_str(), "lost too"),
         new MemFile("kept", "kept")});
  ASSERT_TRUE(link.runUntil([&] { return retryableReports(recorder) > 0; }));
  link.run();
  EXPECT_EQ(1, retryableReports(recorder));
  EXPECT_EQ(0u, recorder.calls.back().find("retryable ")) << recorder.calls.back();
  EXPECT_FALSE(finished()); // a file is missing: neither complete nor over
  EXPECT_EQ("kept", saved("kept"));
}

TEST_F(ShareDownloaderTest, RetryStartsExactlyTheFilesThatCouldNotStart) {
  auto concurrency = setting(ft::ftConcurrency, 1);
  NotReadyDrive drive;
  ShareDownloader::DownloadId id =
      start({new MemFile("a", "A"), new MemFile("late1", bytes(300000, 1)), new MemFile("b", "B"),
             new MemDir("late2"), new MemFile("late2/c", "C")});
  ASSERT_TRUE(link.runUntil([&] { return retryableReports(recorder) > 0; }));
  link.run();
  EXPECT_EQ("retryable Storage device is not ready or media/disk is not present.",
            recorder.calls.back());
  EXPECT_EQ(1, retryableReports(recorder));
  EXPECT_FALSE(exists("late1") || exists("late2"));

  EXPECT_FALSE(downloader.resume(id)); // still not ready: failed again, reported
  EXPECT_EQ(2, retryableReports(recorder));

  NotReadyDrive::notReady = false;
  EXPECT_TRUE(downloader.resume(id));
  ASSERT_TRUE(link.runUntil([&] { return finished(); }));
  EXPECT_EQ("complete", recorder.calls.back());
  EXPECT_TRUE(saved("late1") == bytes(300000, 1));
  EXPECT_EQ("C", saved("late2\\c"));
  EXPECT_EQ("A", saved("a")); // the files that arrived are not fetched again
  EXPECT_FALSE(exists("a (1)") || exists("b (1)"));
  EXPECT_FALSE(downloader.resume(id));
}

TEST(DownloadConcurrency, IsHeldToWhatWorks) {
  auto huge = setting(ft::ftConcurrency, 2147483647);
  EXPECT_EQ(64, ft::downloadConcurrency());
}

TEST_F(ShareDownloaderTest, AnEmptyShareIsReleasedAtOnceAndNeverReported) {
  Logging logging("ftExtension:sdcapture:100");
  start({});
  EXPECT_TRUE(recorder.calls.empty()); // no download without a name is shown
  link.run();
  EXPECT_EQ(1, captured.count("ftExtension: Remote releasing "));
}

TEST_F(ShareDownloaderTest, AWriteErrorAfterAFailedFileDeletesThatFileToo) {
  Logging logging("ftExtension:sdcapture:100");
  auto buffer = setting(ft::fileTransferBufferSize, 65536);
  RefusingDisk disk;
  MemFile* broken = new MemFile("broken", "xyz");
  broken->openError = "Sharing violation";
  start({broken, new MemFile("big", bytes(3000000, 1))});
  ASSERT_TRUE(link.runUntil([&] { return finished(); }));
  ASSERT_EQ("failed Sharing violation", recorder.calls.back());
  ASSERT_TRUE(exists("big")); // still arriving
  disk.refuse(dir.file("big"));
  link.run();
  EXPECT_FALSE(exists("big"));
  EXPECT_EQ(1, captured.count("ftExtension: Sink aborting "));
  EXPECT_EQ("failed Sharing violation", recorder.calls.back()); // reported once
}

TEST_F(ShareDownloaderTest, AFinishedDownloadReleasesItsShareOnce) {
  Logging logging("ftExtension:sdcapture:100");
  start({new MemFile("f", "abc")});
  ASSERT_TRUE(link.runUntil([&] { return finished(); }));
  link.run();
  EXPECT_EQ(1, captured.count("ftExtension: Remote releasing "));
  // The share's last reference goes: the other end has been told already.
  share->release();
  share = nullptr;
  b.download()->clearCurrentShare();
  link.run();
  EXPECT_EQ(1, captured.count("ftExtension: Remote releasing "));
}
