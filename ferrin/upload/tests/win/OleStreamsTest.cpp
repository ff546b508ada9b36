#include "ferrin/upload/win/FdInStream.h"
#include "ferrin/upload/win/IStreamPosition.h"
#include "ferrin/upload/win/OleInStream.h"
#include "ferrin/upload/win/ThreadedOleInStream.h"
#include "os/win/OleInitialiser.h"
#include "plat/TimerManager.h"
#include "StreamDrain.h"
#include "TestIStream.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <memory>
#include <new>

using testing_support::drain;
using testing_support::pattern;

namespace {

class OleStreams : public testing::Test {
protected:
  os::OleInitialiser ole;
  plat::EventManager events;
  plat::TimerManager timers;
};

std::string readAll(rdr::InStream& in) {
  auto got = drain(in);
  EXPECT_TRUE(got.ended) << got.failure;
  return got.data;
}

class NullHandler : public ft::ThreadedInStream::Handler {
public:
  void processEvent(HANDLE event) override { ResetEvent(event); }
  void release(rdr::InStream* source) override {
    delete source;
    delete this;
  }
};

} // namespace

TEST_F(OleStreams, SeekingStreamsSeekAndOthersArePositionedByReading) {
  std::string data = pattern(20000);
  for (bool canSeek : {true, false}) {
    TestStream* stream = newTestIStream(data);
    stream->canSeek = canSeek;
    stream->piece = 3000;
    ft::skipIStream(stream, 12345);
    ft::OleInStream in(stream);
    EXPECT_TRUE(readAll(in) == data.substr(12345)) << canSeek;
    stream->Release();
  }
}

TEST_F(OleStreams, PositioningBeyondTheEndSaysHowLongTheStreamWas) {
  TestStream* stream = newTestIStream(pattern(5000));
  stream->canSeek = false;
  try {
    ft::skipIStream(stream, 10000);
    ADD_FAILURE();
  } catch (plat::Exception& e) {
    EXPECT_STREQ("Can't seek to 10000: stream size is 5000", e.str());
  }
  stream->Release();
}

TEST_F(OleStreams, AFailingReadIsAnErrorNotTheEnd) {
  TestStream* stream = newTestIStream(pattern(5000));
  stream->failAt = 4096;
  stream->piece = 4096;
  {
    ft::OleInStream in(stream);
    auto got = drain(in);
    EXPECT_FALSE(got.ended);
    EXPECT_EQ(4096u, got.data.size());
    EXPECT_EQ(0u, got.failure.find("IStream::Read: ")) << got.failure;
  }
  stream->Release();
}

TEST_F(OleStreams, TheThreadedReaderReadsTheStreamOnItsOwnThread) {
  std::string data = pattern(150000, 3);
  TestStream* stream = newTestIStream(data);
  stream->piece = 5000;
  stream->delayMs = 1;
  {
    ft::ThreadedOleInStream in(stream, new NullHandler);
    in.start();
    EXPECT_TRUE(readAll(in) == data);
  }
  EXPECT_EQ(1, stream->refCount()); // the reading thread let its proxy go
  stream->Release();
}

TEST_F(OleStreams, TheThreadedReaderPassesAReadFailureOn) {
  TestStream* stream = newTestIStream(pattern(9000));
  stream->failAt = 8000;
  stream->piece = 4000;
  {
    ft::ThreadedOleInStream in(stream, new NullHandler);
    in.start();
    auto got = drain(in);
    EXPECT_EQ(8000u, got.data.size());
    EXPECT_EQ(0u, got.failure.find("IStream::Read: ")) << got.failure;
  }
  stream->Release();
}

TEST_F(OleStreams, TheThreadedReaderPassesOnWhateverTheStreamThrows) {
  TestStream* stream = newTestIStream(pattern(9000));
  stream->freeThreaded = true;
  stream->failAt = 8000;
  stream->piece = 4000;
  stream->onFailure = [] { throw std::bad_alloc(); };
  {
    ft::ThreadedOleInStream in(stream, new NullHandler);
    in.start();
    auto got = drain(in);
    EXPECT_EQ(8000u, got.data.size());
    EXPECT_EQ("std::bad_alloc", got.failure);
  }
  EXPECT_EQ(1, stream->refCount()); // the reading thread let it go
  stream->Release();
}

TEST_F(OleStreams, AThreadedReaderThatNeverRanReleasesTheMarshalledStream) {
  TestStream* stream = newTestIStream("abc");
  { ft::ThreadedOleInStream in(stream, new NullHandler); }
  EXPECT_EQ(1, stream->refCount());
  stream->Release();
}

TEST(FdInStream, ReadsFromWhereTheDescriptorStands) {
  testing_support::TempDir dir;
  std::string data = pattern(40000);
  testing_support::writeFile(dir.file("f"), data);
  int fd = _wopen(testing_support::wide(dir.file("f")).c_str(), _O_RDONLY | _O_BINARY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(30000, _lseeki64(fd, 30000, SEEK_CUR));
  ft::FdInStream in(fd);
  std::string got;
  try {
    for (;;) {
      in.check(true, 1);
      got.append((const char*)in.getptr(), in.avail());
      in.skip(in.avail());
    }
  } catch (rdr::EndOfStream&) {
  }
  EXPECT_TRUE(got == data.substr(30000));
}
