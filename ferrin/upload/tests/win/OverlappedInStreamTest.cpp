#include "ferrin/upload/win/OverlappedInStream.h"
#include "plat/CallCounter.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "StreamDrain.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <winioctl.h>

using ft::OverlappedInStream;
using testing_support::drain;
using testing_support::pattern;
using testing_support::TempDir;

namespace {

struct CompletionRecord {
  int wakes = 0;
  bool released = false;
};

class TestCompletion : public OverlappedInStream::Completion {
public:
  TestCompletion(HANDLE file, CompletionRecord* record) : file(file), record(record) {}
  void wake() override { record->wakes++; }
  void release() override {
    CloseHandle(file);
    record->released = true;
    delete this;
  }

private:
  HANDLE file;
  CompletionRecord* record;
};

HANDLE openOverlapped(const std::string& path) {
  HANDLE h = CreateFileW(testing_support::wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                         nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, h);
  return h;
}

// A pipe whose reading end is overlapped: reads stay pending until the
// test writes.
struct Pipe {
  Pipe() {
    static int counter;
    wchar_t name[96];
    swprintf(name, 96, L"\\\\.\\pipe\\kiv-overlapped-%lu-%d", GetCurrentProcessId(), ++counter);
    reader = CreateNamedPipeW(name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED,
                              PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    writer = CreateFileW(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  ~Pipe() { closeWriter(); }
  void write(const std::string& data) {
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(writer, data.data(), (DWORD)data.size(), &n, nullptr));
  }
  void closeWriter() {
    if (writer != INVALID_HANDLE_VALUE)
      CloseHandle(writer);
    writer = INVALID_HANDLE_VALUE;
  }
  HANDLE reader;
  HANDLE writer;
};

class OverlappedTest : public testing::Test {
protected:
  std::unique_ptr<OverlappedInStream> open(HANDLE file, uint64_t offset) {
    return std::unique_ptr<OverlappedInStream>(
        new OverlappedInStream(file, new TestCompletion(file, &record), offset));
  }
  plat::EventManager events;
  plat::TimerManager timers;
  TempDir dir;
  CompletionRecord record;
};

} // namespace

TEST_F(OverlappedTest, ReadsAFileFromAnOffsetToItsEnd) {
  std::string data = pattern(100000);
  testing_support::writeFile(dir.file("f"), data);
  {
    auto in = open(openOverlapped(dir.file("f")), 12345);
    auto got = drain(*in);
    EXPECT_TRUE(got.ended) << got.failure;
    EXPECT_TRUE(got.data == data.substr(12345)) << got.data.size();
  }
  EXPECT_TRUE(record.released);
}

TEST_F(OverlappedTest, AnEmptyFileEndsOnTheFirstRead) {
  testing_support::writeFile(dir.file("empty"), "");
  auto in = open(openOverlapped(dir.file("empty")), 0);
  // Windows finds the end at once; Wine may report it through the event.
  auto got = drain(*in);
  EXPECT_TRUE(got.ended) << got.failure;
  EXPECT_EQ("", got.data);
  EXPECT_LE(record.wakes, 1);
}

TEST_F(OverlappedTest, OffsetsBeyondFourGigabytesDoNotWrap) {
  // Sparse: only the last bytes take room on the disk.
  const uint64_t size = (5ULL << 30) + 10;
  std::wstring path = testing_support::wide(dir.file("big"));
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  DWORD ignored;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER at;
  at.QuadPart = (LONGLONG)(size - 10);
  ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
  DWORD n;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
  CloseHandle(h);

  auto in = open(openOverlapped(dir.file("big")), size - 6);
  auto got = drain(*in);
  EXPECT_TRUE(got.ended) << got.failure;
  EXPECT_EQ("456789", got.data);
}

TEST_F(OverlappedTest, APendingReadCompletesThroughTheEvent) {
  Pipe pipe;
  ASSERT_NE(INVALID_HANDLE_VALUE, pipe.reader);
  auto in = open(pipe.reader, 0);
  EXPECT_FALSE(in->check(false, 1)); // nothing written yet: the read waits
  EXPECT_EQ(0, record.wakes);
  EXPECT_EQ(1, events.eventCount());
  pipe.write("hello");
  testing_support::Drained got;
  ASSERT_TRUE(testing_support::pumpUntil(
      [&] {
        testing_support::takeAvailable(*in, &got);
        return got.data.size() == 5;
      },
      10000));
  EXPECT_EQ("hello", got.data);
  EXPECT_EQ(1, record.wakes);
  pipe.write(" world");
  pipe.closeWriter();
  got = drain(*in);
  EXPECT_TRUE(got.ended) << got.failure;
  EXPECT_EQ(" world", got.data);
}

TEST_F(OverlappedTest, AStreamFreedWithAReadPendingWaitsForIt) {
  Pipe pipe;
  ASSERT_NE(INVALID_HANDLE_VALUE, pipe.reader);
  auto in = open(pipe.reader, 0);
  EXPECT_FALSE(in->check(false, 1));
  in.reset(); // the buffer goes only once the cancelled read let go of it
  EXPECT_TRUE(record.released);
  EXPECT_EQ(0, events.eventCount());
}

TEST_F(OverlappedTest, AReadThatFailsLaterFailsTheUpload) {
  Pipe pipe;
  ASSERT_NE(INVALID_HANDLE_VALUE, pipe.reader);
  auto in = open(pipe.reader, 0);
  EXPECT_FALSE(in->check(false, 1));
  CancelIo(pipe.reader); // the pending read ends with an error
  auto got = drain(*in);
  EXPECT_FALSE(got.ended);
  EXPECT_EQ(0u, got.failure.find("GetOverlappedResult: ")) << got.failure;
  EXPECT_EQ(1, record.wakes);
}

TEST_F(OverlappedTest, AFailedConstructionStillClosesTheFile) {
  // Fill the thread's event table so that the stream cannot register.
  std::vector<HANDLE> handles;
  struct Nothing : plat::EventHandler {
    void processEvent(HANDLE) override {}
  } nothing;
  while (events.eventCount() < plat::EventManager::MaxEvents) {
    handles.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    events.addEvent(handles.back(), &nothing, "filler");
  }
  testing_support::writeFile(dir.file("f"), "x");
  EXPECT_THROW(open(openOverlapped(dir.file("f")), 0), plat::Exception);
  EXPECT_TRUE(record.released);
  for (HANDLE h : handles) {
    events.removeEvent(h);
    CloseHandle(h);
  }
}

TEST_F(OverlappedTest, TheNextReadStartsBeforeTheBufferIsEmpty) {
  const int size = OverlappedInStream::BufferSize;
  std::string data = pattern(3 * size);
  testing_support::writeFile(dir.file("f"), data);
  auto in = open(openOverlapped(dir.file("f")), 0);
  ASSERT_TRUE(testing_support::pumpUntil(
      [&] {
        in->check(false, 1);
        return in->avail() == size;
      },
      10000));
  const int left = size / 8;
  in->skip(size - left);
  in->checkpoint();
  // More than what was left, without the consumer running dry first.
  EXPECT_TRUE(testing_support::pumpUntil([&] { return in->avail() > left; }, 3000));
  auto rest = drain(*in);
  EXPECT_TRUE(rest.ended) << rest.failure;
  EXPECT_TRUE(rest.data == data.substr(size - left)) << rest.data.size();
}

TEST_F(OverlappedTest, AReadThatReachesTheFilesSizeEndsTheStream) {
  std::string data = pattern(1000);
  testing_support::writeFile(dir.file("small"), data);
  plat::CallCounter* reads = plat::CallCounter::find("upload.read");
  uint64_t before = reads->value();
  auto in = open(openOverlapped(dir.file("small")), 0);
  // A read of a local file that completes at once (also when the system
  // calls it pending) is there without a pass of the event loop.
  EXPECT_TRUE(in->check(false, 1));
  auto got = drain(*in);
  EXPECT_TRUE(got.ended) << got.failure;
  EXPECT_TRUE(got.data == data);
  EXPECT_EQ(1u, reads->value() - before); // none only to be told of the end
  EXPECT_EQ(0, record.wakes);
  EXPECT_EQ(0, events.eventCount()); // watched only while a read is pending
}
