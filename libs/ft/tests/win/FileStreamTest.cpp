#include "../Settings.h"

#include "ft/FileAttributes.h"
#include "plat/CallCounter.h"
#include "ft/Parameters.h"
#include "RefusingDisk.h"
#include "ft/win/FileStream.h"
#include "plat/win/File.h"
#include "rdr/CircularInStream.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ft::FileStream;
using testing_support::readFile;
using testing_support::TempDir;

namespace {

struct Recorder : FileStream::Callback {
  std::vector<uint64_t> progress_;
  std::vector<std::string> writeErrors;
  int done = 0;
  std::vector<std::string> failures;
  void progress(FileStream*, uint64_t bytes) override { progress_.push_back(bytes); }
  void writeError(FileStream*, const char* message) override { writeErrors.push_back(message); }
  void fileDone(FileStream*) override { done++; }
  void fileFailed(FileStream*, const char* message) override { failures.push_back(message); }
};

std::string bytes(size_t n, char seed) {
  std::string s(n, 0);
  for (size_t i = 0; i < n; i++)
    s[i] = (char)(seed + i * 13 + i / 97);
  return s;
}

void put(FileStream* stream, const std::string& data) {
  stream->write((const uint8_t*)data.data(), (int)data.size());
}

DWORD attributesOf(const std::string& path) {
  return GetFileAttributesW(testing_support::wide(path).c_str());
}

class FileStreamTest : public testing::Test {
protected:
  FileStream* open(const char* name, uint32_t attributes = 0x20) {
    entry.attributes.clear();
    entry.attributes.push_back(ft::FileAttributes::makeWin32(attributes));
    return new FileStream(dir.file(name).c_str(), entry, &recorder);
  }
  TempDir dir;
  ft::ShareEntry entry{"x", 0, 0, 0, 0, 0};
  Recorder recorder;
};

} // namespace

TEST_F(FileStreamTest, PiecesOfABatchReachTheFileInOneWriteAndAreThenOnDisk) {
  auto buffer = testing_support::setting(ft::fileTransferBufferSize, 100000);
  FileStream* s = open("f");
  EXPECT_EQ(100000u, s->window());
  std::string a = bytes(3000, 1), b = bytes(5000, 2);
  put(s, a);
  put(s, b);
  EXPECT_EQ(100000u, s->window()); // taken, and held in the ring
  EXPECT_TRUE(recorder.progress_.empty());
  plat::CallCounter* writes = plat::CallCounter::find("file.write");
  uint64_t before = writes->value();
  s->endOfBatch();
  EXPECT_EQ(1u, writes->value() - before);
  EXPECT_EQ(108000u, s->window()); // taken plus the untouched ring
  EXPECT_EQ((std::vector<uint64_t>{8000}), recorder.progress_);
  EXPECT_EQ(a + b, readFile(dir.file("f")));
  s->close("");
  EXPECT_EQ(1, recorder.done);
  EXPECT_EQ(a + b, readFile(dir.file("f")));
}

TEST_F(FileStreamTest, DataHeldWhilePausedReachesTheDiskFirstAndInOrder) {
  auto buffer = testing_support::setting(ft::fileTransferBufferSize, 10000);
  FileStream* s = open("f");
  std::string a = bytes(1000, 1), b = bytes(6000, 2), c = bytes(2000, 3), d = bytes(7000, 4),
              e = bytes(500, 5);
  put(s, a);
  s->endOfBatch();
  s->paused = true;
  EXPECT_EQ(0u, s->window()); // no credit for the other end
  put(s, b);                  // granted before the pause: held
  EXPECT_EQ(a, readFile(dir.file("f")));
  s->paused = false;
  EXPECT_EQ(7000u + 4000u, s->window()); // the ring holds 6000 of its 10000
  put(s, c);                             // the held bytes go first
  EXPECT_EQ(a + b + c, readFile(dir.file("f")));
  s->paused = true;
  put(s, d); // wraps around the ring's end
  s->paused = false;
  put(s, e);
  EXPECT_EQ(a + b + c + d + e, readFile(dir.file("f")));
  EXPECT_EQ(16500u, recorder.progress_.back());
  EXPECT_EQ(16500u + 10000u, s->window());
  s->close("");
  EXPECT_EQ(1, recorder.done);
}

TEST_F(FileStreamTest, ResumingDrainsTheRing) {
  FileStream* s = open("f");
  s->paused = true;
  std::string a = bytes(70000, 5);
  put(s, a);
  EXPECT_EQ("", readFile(dir.file("f")));
  s->paused = false;
  EXPECT_TRUE(s->drain());
  EXPECT_EQ(a, readFile(dir.file("f")));
  EXPECT_EQ(70000u, recorder.progress_.back());
  s->close("");
}

TEST_F(FileStreamTest, MoreThanTheWindowWhilePausedOverflows) {
  auto buffer = testing_support::setting(ft::fileTransferBufferSize, 4096);
  FileStream* s = open("f");
  s->paused = true;
  put(s, bytes(4000, 1));
  EXPECT_THROW(put(s, bytes(100, 2)), rdr::CircularInStream::Overflow);
  s->close("Overflow");
  s->paused = false;
  EXPECT_FALSE(s->drain()); // the held close runs: the stream is gone
  EXPECT_EQ((std::vector<std::string>{"Overflow"}), recorder.failures);
  EXPECT_FALSE(plat::fileExists(dir.file("f").c_str()));
}

TEST_F(FileStreamTest, ACloseWhilePausedWaitsForTheResume) {
  FileStream* s = open("ok");
  s->paused = true;
  put(s, "held");
  s->close("");
  EXPECT_EQ(0, recorder.done);
  EXPECT_EQ("", readFile(dir.file("ok")));
  s->paused = false;
  EXPECT_FALSE(s->drain());
  EXPECT_EQ(1, recorder.done);
  EXPECT_EQ("held", readFile(dir.file("ok")));

  FileStream* t = open("bad");
  put(t, "partial");
  t->paused = true;
  t->close("Source file changed");
  EXPECT_TRUE(plat::fileExists(dir.file("bad").c_str())); // until the resume
  EXPECT_TRUE(recorder.failures.empty());
  t->paused = false;
  EXPECT_FALSE(t->drain());
  EXPECT_EQ((std::vector<std::string>{"Source file changed"}), recorder.failures);
  EXPECT_FALSE(plat::fileExists(dir.file("bad").c_str()));
}

TEST_F(FileStreamTest, AttributesComeOnlyWithTheCompleteFile) {
  const DWORD readOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  FileStream* s = open("done", readOnlyHidden);
  put(s, "abc");
  EXPECT_FALSE(attributesOf(dir.file("done")) & FILE_ATTRIBUTE_READONLY);
  s->close("");
  EXPECT_TRUE(attributesOf(dir.file("done")) & FILE_ATTRIBUTE_READONLY);

  // A failed or cancelled read-only file leaves nothing behind.
  for (const char* why : {"Download cancelled", "Connection closed"}) {
    FileStream* t = open("partial", readOnlyHidden);
    put(t, "abc");
    t->close(why);
    EXPECT_FALSE(plat::fileExists(dir.file("partial").c_str())) << why;
  }
  EXPECT_EQ(2u, recorder.failures.size());
}

TEST_F(FileStreamTest, AnExistingFileIsNeverOpened) {
  testing_support::writeFile(dir.file("mine"), "precious");
  try {
    open("mine");
    FAIL();
  } catch (plat::SystemException& e) {
    EXPECT_EQ(0, strncmp(e.str(), "open", 4)) << e.str();
  }
  EXPECT_EQ("precious", readFile(dir.file("mine")));
}

TEST_F(FileStreamTest, AStreamNeverRegisteredCanBeDiscarded) {
  FileStream* s = open("f");
  s->discard();
  EXPECT_FALSE(plat::fileExists(dir.file("f").c_str()));
  EXPECT_EQ(0, recorder.done);
  EXPECT_TRUE(recorder.failures.empty());
}

TEST(FileTransferBufferSize, IsHeldToWhatWorks) {
  for (int value : {0, -5, 100})
    EXPECT_EQ(4096, (testing_support::setting(ft::fileTransferBufferSize, value),
                     ft::fileTransferBufferBytes()));
  auto huge = testing_support::setting(ft::fileTransferBufferSize, 2147483647);
  EXPECT_EQ(64 << 20, ft::fileTransferBufferBytes());
}

// The owner may give the file up when it hears of a write error: the close
// waits until the stream's own write has returned, then deletes the file.
TEST_F(FileStreamTest, AFileGivenUpOnAWriteErrorGoesOnceTheWriteReturns) {
  struct GivesUp : Recorder {
    bool inWrite = false;
    bool failedInWrite = false;
    void writeError(FileStream* stream, const char* message) override {
      Recorder::writeError(stream, message);
      inWrite = true;
      stream->close("Download cancelled");
      inWrite = false;
    }
    void fileFailed(FileStream* stream, const char* message) override {
      failedInWrite |= inWrite;
      Recorder::fileFailed(stream, message);
    }
  } owner;
  int fd = testing_support::nextDescriptor();
  FileStream* s = new FileStream(dir.file("f").c_str(), entry, &owner);
  put(s, bytes(1000, 1));
  s->endOfBatch();
  testing_support::refuseWrites(fd, dir.file("f"));
  put(s, bytes(70000, 2)); // beyond what is held back: written at once, and refused
  EXPECT_EQ(1u, owner.writeErrors.size());
  EXPECT_FALSE(owner.failedInWrite);
  EXPECT_EQ((std::vector<std::string>{"Download cancelled"}), owner.failures);
  EXPECT_FALSE(plat::fileExists(dir.file("f").c_str()));
}

// A report of a write error that throws (the owner could not act on it)
// leaves the stream able to close: the failed file is deleted.
TEST_F(FileStreamTest, AWriteErrorReportThatThrowsLeavesTheStreamClosable) {
  struct Throws : Recorder {
    void writeError(FileStream* stream, const char* message) override {
      Recorder::writeError(stream, message);
      throw plat::Exception("Connection reset by peer");
    }
  } owner;
  int fd = testing_support::nextDescriptor();
  FileStream* s = new FileStream(dir.file("f").c_str(), entry, &owner);
  testing_support::refuseWrites(fd, dir.file("f"));
  EXPECT_THROW(put(s, bytes(70000, 2)), plat::Exception);
  s->close("Download cancelled");
  EXPECT_EQ((std::vector<std::string>{"Download cancelled"}), owner.failures);
  EXPECT_FALSE(plat::fileExists(dir.file("f").c_str()));
}
