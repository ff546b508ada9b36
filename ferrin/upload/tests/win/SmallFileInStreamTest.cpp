#include "ferrin/upload/win/SmallFileInStream.h"
#include "plat/CallCounter.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "StreamDrain.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

using ft::SmallFileInStream;
using testing_support::drain;
using testing_support::pattern;
using testing_support::TempDir;

namespace {

HANDLE openPlain(const std::string& path, DWORD access = GENERIC_READ) {
  HANDLE h = CreateFileW(testing_support::wide(path).c_str(), access, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, h);
  return h;
}

uint64_t plainReads() {
  return plat::CallCounter::find("upload.read.plain")->value();
}

// The drain serves the thread's events, as the upload's loop does.
struct SmallFileTest : testing::Test {
  plat::EventManager events;
  plat::TimerManager timers;
  TempDir dir;
};

} // namespace

TEST_F(SmallFileTest, ReadsTheFileAndFindsItsEndInOneRead) {
  std::string data = pattern(5000);
  testing_support::writeFile(dir.file("f"), data);
  testing_support::writeFile(dir.file("empty"), "");
  uint64_t before = plainReads();
  SmallFileInStream in(openPlain(dir.file("f")), 0, data.size());
  auto got = drain(in);
  EXPECT_TRUE(got.ended) << got.failure;
  EXPECT_TRUE(got.data == data);
  EXPECT_EQ(1u, plainReads() - before);

  SmallFileInStream empty(openPlain(dir.file("empty")), 0, 0);
  got = drain(empty);
  EXPECT_TRUE(got.ended) << got.failure;
  EXPECT_EQ("", got.data);

  SmallFileInStream tail(openPlain(dir.file("f")), 4990, 10);
  EXPECT_TRUE(drain(tail).data == data.substr(4990));
}

TEST_F(SmallFileTest, AFileThatChangedSinceItWasListedIsReadAsItIs) {
  // Grown far beyond its listed size, and shrunk below it: the upload
  // then sees the size it finds.
  std::string grown = pattern(300000);
  testing_support::writeFile(dir.file("grown"), grown);
  testing_support::writeFile(dir.file("shrunk"), "abc");
  SmallFileInStream big(openPlain(dir.file("grown")), 0, 100);
  auto got = drain(big);
  EXPECT_TRUE(got.ended) << got.failure;
  EXPECT_TRUE(got.data == grown) << got.data.size();
  SmallFileInStream small(openPlain(dir.file("shrunk")), 0, 1000);
  got = drain(small);
  EXPECT_TRUE(got.ended) << got.failure;
  EXPECT_EQ("abc", got.data);
}

TEST_F(SmallFileTest, AReadThatFailsIsAFailureNotAnEnd) {
  testing_support::writeFile(dir.file("f"), "data");
  // Opened without read access: every read fails.
  SmallFileInStream in(openPlain(dir.file("f"), GENERIC_WRITE), 0, 4);
  auto got = drain(in);
  EXPECT_FALSE(got.ended);
  EXPECT_EQ(0u, got.failure.find("ReadFile")) << got.failure;
}
