// The stream the shell reads a pasted file through: its window over the
// ring, reads across the ring's wrap and at the end of the file, and whole
// downloads read from another apartment while the main thread runs the
// engine.
#include "ferrin/win/ComStream.h"
#include "ft/Parameters.h"
#include "ft/ShareProxy.h"
#include "os/win/OleInitialiser.h"
#include "plat/win/EventManager.h"
#include "testing/EventPump.h"
#include "testing/FtEngine.h"
#include "testing/RecordingLogger.h"
#include "testing/ReturnsWithin.h"
#include "win/RemoteReader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <new>
#include <random>
#include <stdexcept>
#include <string>

using namespace testing_support;
using ferrin_test::RemoteReader;

namespace {

std::string randomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(n, '\0');
  for (char& c : s)
    c = (char)random();
  return s;
}

struct RingSize {
  explicit RingSize(int size) { ft::fileTransferBufferSize.setValue(size, plat::PriorityUser); }
  ~RingSize() { ft::fileTransferBufferSize.removeValue(plat::PriorityUser); }
};

// A stream that counts its deletions, and notes the last byte limit
// granted for it.
class CountedStream : public ft::ComStream {
public:
  CountedStream(std::atomic<int>* deleted, uint64_t* lastGranted)
      : deleted(deleted), lastGranted(lastGranted) {}
  ~CountedStream() override {
    *lastGranted = grantedLimit;
    (*deleted)++;
  }

  // Held by no thread, and left as often as it was taken.
  bool lockIsFree() {
    const CRITICAL_SECTION* lock = (const CRITICAL_SECTION*)mainLock_.native();
    return lock->OwningThread == nullptr && lock->RecursionCount == 0;
  }

private:
  std::atomic<int>* deleted;
  uint64_t* lastGranted;
};

// A copy's target that throws what the test gives it.
class ThrowingTarget : public ft::ComStream {
public:
  explicit ThrowingTarget(std::function<void()> thrower) : thrower(std::move(thrower)) {}
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override {
    thrower();
    return S_OK;
  }

private:
  std::function<void()> thrower;
};

struct ComStreamTest : testing::Test {
  os::OleInitialiser ole;
  plat::EventManager events;
  ft::ComStream::Updater updater;
  std::atomic<int> deleted{0};
  // The last stream's when it was deleted.
  uint64_t lastGranted = 0;

  CountedStream* makeStream(const ft::FileId& id, uint64_t size,
                            const char* path = "dir/file.bin") {
    CountedStream* stream = new com::ComObject<CountedStream>(&deleted, &lastGranted);
    stream->init(id, size, path);
    return stream;
  }
  // Serves the main thread's events (the Updater) once.
  void serveEvents() {
    MSG msg;
    while (events.awaitEvent(&msg, 0)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  static std::string read(IStream* stream, ULONG n, HRESULT expected = S_OK) {
    std::string buffer(n, '\0');
    ULONG got = 12345;
    EXPECT_EQ(expected, stream->Read(&buffer[0], n, &got));
    buffer.resize(got);
    return buffer;
  }
  static void write(ft::ComStream* stream, const std::string& bytes) {
    stream->write((const uint8_t*)bytes.data(), (int)bytes.size());
  }
};

} // namespace

TEST_F(ComStreamTest, WindowIsWhatArrivedPlusFreeRoom) {
  RingSize ring(4096);
  std::string sent = randomBytes(8192, 2);
  CountedStream* stream = makeStream(ft::FileId(1, 0), sent.size());
  IStream* istream = stream;
  EXPECT_EQ(4096u, stream->window());
  write(stream, sent.substr(0, 2600));
  EXPECT_EQ(4096u, stream->window());
  EXPECT_TRUE(read(istream, 1000) == sent.substr(0, 1000));
  EXPECT_EQ(5096u, stream->window());
  // The sender stays inside the window: the ring takes exactly that much.
  write(stream, sent.substr(2600, 2496));
  EXPECT_THROW(write(stream, "!"), rdr::CircularInStream::Overflow);
  EXPECT_EQ(5096u, stream->window());
  EXPECT_TRUE(read(istream, 4096) == sent.substr(1000, 4096));
  EXPECT_EQ(9192u, stream->window());
  istream->Release();
  serveEvents();
  EXPECT_EQ(1, deleted);
}

TEST_F(ComStreamTest, ReadsAcrossTheWrapKeepTheOrder) {
  RingSize ring(4096);
  std::string sent = randomBytes(100000, 3);
  CountedStream* stream = makeStream(ft::FileId(1, 0), sent.size());
  IStream* istream = stream;
  std::string got;
  size_t at = 0;
  std::mt19937 random(4);
  while (got.size() < sent.size()) {
    // Fill up to the window in odd pieces, then read a part of what is held.
    uint64_t room = stream->window() - at;
    size_t piece = std::min<size_t>(1 + random() % 3000, room);
    piece = std::min(piece, sent.size() - at);
    if (piece > 0) {
      write(stream, sent.substr(at, piece));
      at += piece;
    }
    size_t held = at - got.size();
    if (held > 0)
      got += read(istream, (ULONG)(1 + random() % held));
  }
  EXPECT_TRUE(got == sent);
  istream->Release();
  serveEvents();
}

TEST_F(ComStreamTest, EndOfFileAndFailure) {
  {
    CountedStream* stream = makeStream(ft::FileId(1, 0), 5);
    IStream* istream = stream;
    // Nothing asked for: answered at once, though nothing has arrived.
    ULONG n = 99;
    EXPECT_EQ(S_OK, istream->Read(nullptr, 0, &n));
    EXPECT_EQ(0u, n);
    write(stream, "hello");
    stream->close("");
    EXPECT_EQ("hel", read(istream, 3));
    EXPECT_EQ("lo", read(istream, 10, S_FALSE));
    EXPECT_EQ("", read(istream, 10, S_FALSE));
    istream->Release();
  }
  {
    // What arrived before the error is still delivered first.
    CountedStream* stream = makeStream(ft::FileId(1, 1), 5);
    IStream* istream = stream;
    write(stream, "abc");
    stream->close("Disk full");
    EXPECT_EQ("abc", read(istream, 3));
    EXPECT_EQ("", read(istream, 3, STG_E_ACCESSDENIED));
    EXPECT_EQ("", read(istream, 3, STG_E_ACCESSDENIED));
    istream->Release();
  }
  serveEvents();
  EXPECT_EQ(2, deleted);
}

namespace {

// Reads a stream on a thread of its own until an answer other than S_OK.
// The stream must outlive the reader.
struct ReaderThread {
  struct State {
    std::string data;
    HRESULT last = E_PENDING;
    std::atomic<bool> done{false};
  };

  explicit ReaderThread(IStream* stream)
      : state(std::make_shared<State>()), reading([state = state, stream] {
          std::string buffer(10, '\0');
          ULONG n;
          do {
            n = 0;
            state->last = stream->Read(&buffer[0], (ULONG)buffer.size(), &n);
            state->data.append(buffer.data(), n);
          } while (state->last == S_OK);
          state->done = true;
        }) {}
  bool endsWithin(int ms) { return reading.returnedWithin(ms); }

  std::shared_ptr<State> state;
  CallInThread reading;
};

} // namespace

// Nothing is known to be the end of the file before the download ends:
// the sender may fail to open it, or send more than it listed.
TEST_F(ComStreamTest, TheLastAnswerWaitsForTheDownloadsEnd) {
  RecordingLogger log;
  log.attach("ComStream:record:120");
  struct Case {
    uint64_t size;
    std::string sent;
    const char* ending;
    HRESULT last;
  } cases[] = {
      {0, "", "Access is denied", STG_E_ACCESSDENIED},
      {5, "hello", "Size mismatch: 7 bytes received, 5 expected", STG_E_ACCESSDENIED},
      {5, "hello", "", S_FALSE},
  };
  for (const Case& c : cases) {
    CountedStream* stream = makeStream(ft::FileId(1, 0), c.size);
    IStream* istream = stream;
    if (!c.sent.empty())
      write(stream, c.sent);
    log.clear();
    ReaderThread reader(istream);
    // Once the reader waits, it can only have answered what was sent.
    ASSERT_TRUE(waitUntil([&] { return log.has("ComStream: Waiting for data") || reader.state->done; },
                          LongWaitMs));
    EXPECT_FALSE(reader.state->done) << c.ending;
    stream->close(c.ending);
    ASSERT_TRUE(reader.endsWithin(LongWaitMs)) << c.ending;
    EXPECT_EQ(c.sent, reader.state->data) << c.ending;
    EXPECT_EQ(c.last, reader.state->last) << c.ending;
    istream->Release();
  }
  serveEvents();
  EXPECT_EQ(3, deleted);
}

TEST_F(ComStreamTest, SeekOnlyWhereTheStreamIs) {
  CountedStream* stream = makeStream(ft::FileId(1, 0), 8);
  IStream* istream = stream;
  LARGE_INTEGER zero, one;
  zero.QuadPart = 0;
  one.QuadPart = 1;
  ULARGE_INTEGER position;
  position.QuadPart = 77;
  EXPECT_EQ(S_OK, istream->Seek(zero, STREAM_SEEK_SET, &position));
  EXPECT_EQ(0u, position.QuadPart);
  write(stream, "abcdefgh");
  EXPECT_EQ("abcde", read(istream, 5));
  EXPECT_EQ(S_OK, istream->Seek(zero, STREAM_SEEK_CUR, &position));
  EXPECT_EQ(5u, position.QuadPart);
  EXPECT_TRUE(FAILED(istream->Seek(one, STREAM_SEEK_CUR, &position)));
  EXPECT_TRUE(FAILED(istream->Seek(zero, STREAM_SEEK_SET, &position)));
  EXPECT_TRUE(FAILED(istream->Seek(zero, STREAM_SEEK_END, &position)));
  EXPECT_EQ("fgh", read(istream, 3));
  EXPECT_EQ(S_OK, istream->Seek(zero, STREAM_SEEK_END, &position));
  EXPECT_EQ(8u, position.QuadPart);
  istream->Release();
  serveEvents();
}

TEST_F(ComStreamTest, StatQueryInterfaceAndUnsupportedCalls) {
  CountedStream* stream = makeStream(ft::FileId(1, 0), 1234567, "dir/na\xc3\xafve.txt");
  IStream* istream = stream;
  STATSTG stat;
  ASSERT_EQ(S_OK, istream->Stat(&stat, STATFLAG_DEFAULT));
  ASSERT_TRUE(stat.pwcsName != nullptr);
  EXPECT_STREQ(L"dir/na\u00efve.txt", stat.pwcsName);
  CoTaskMemFree(stat.pwcsName);
  EXPECT_EQ((DWORD)STGTY_STREAM, stat.type);
  EXPECT_EQ(1234567u, stat.cbSize.QuadPart);
  ASSERT_EQ(S_OK, istream->Stat(&stat, STATFLAG_NONAME));
  EXPECT_EQ(nullptr, stat.pwcsName);

  void* other = (void*)1;
  EXPECT_EQ(E_NOINTERFACE, istream->QueryInterface(IID_ISequentialStream, &other));
  EXPECT_EQ(nullptr, other);
  IStream* clone = istream;
  EXPECT_EQ(E_NOTIMPL, istream->Clone(&clone));
  EXPECT_EQ(nullptr, clone);
  EXPECT_EQ(E_NOTIMPL, istream->Write("x", 1, nullptr));
  istream->Release();
  serveEvents();
}

TEST_F(ComStreamTest, CopyToWithoutALimitCopiesTheWholeFile) {
  CountedStream* stream = makeStream(ft::FileId(1, 0), 16);
  IStream* istream = stream;
  IStream* target = nullptr;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &target));
  write(stream, "0123456789abcdef");
  ULARGE_INTEGER n, read, written;
  n.QuadPart = 4;
  ASSERT_EQ(S_OK, istream->CopyTo(target, n, &read, &written));
  EXPECT_EQ(4u, read.QuadPart);
  EXPECT_EQ(4u, written.QuadPart);
  stream->close("");
  n.QuadPart = 0;
  ASSERT_EQ(S_OK, istream->CopyTo(target, n, &read, &written));
  EXPECT_EQ(12u, read.QuadPart);
  EXPECT_EQ(12u, written.QuadPart);

  STATSTG stat;
  ASSERT_EQ(S_OK, target->Stat(&stat, STATFLAG_NONAME));
  EXPECT_EQ(16u, stat.cbSize.QuadPart);
  target->Release();
  istream->Release();
  serveEvents();
}

TEST_F(ComStreamTest, ACopyWhoseTargetThrowsFailsAndTheStreamGoesOn) {
  CountedStream* stream = makeStream(ft::FileId(1, 0), 8);
  IStream* istream = stream;
  write(stream, "01234567");
  ULARGE_INTEGER n, copied, put;
  n.QuadPart = 4;
  for (std::function<void()> thrower :
       {std::function<void()>([] { throw std::bad_alloc(); }),
        std::function<void()>([] { throw std::runtime_error("refused"); }),
        std::function<void()>([] { throw plat::Exception("refused"); })}) {
    ThrowingTarget* target = new com::ComObject<ThrowingTarget>(thrower);
    target->init(ft::FileId(2, 0), 0, "target");
    EXPECT_EQ(E_FAIL, istream->CopyTo(target, n, &copied, &put));
    EXPECT_EQ(0u, copied.QuadPart);
    // Taken again as the copy left, and then left once.
    EXPECT_TRUE(stream->lockIsFree());
    static_cast<IStream*>(target)->Release();
  }
  // Another thread takes the lock, and the reader still gets every byte.
  EXPECT_TRUE(returnsWithin(LongWaitMs, [&] { stream->close(""); }));
  EXPECT_EQ("01234567", read(istream, 8));
  istream->Release();
  serveEvents();
}

namespace {

// A share on engine a, downloaded by b into streams that are read in
// other apartments.
struct PastedFile : ComStreamTest {
  Engine a;
  Engine b;
  std::unique_ptr<MemLink> link{new MemLink(&a, &b)};
  ft::ShareProxy* share = nullptr;

  ~PastedFile() override {
    if (share)
      share->release();
  }

  // Runs the link and the main thread's events until done() holds.
  bool pump(const std::function<bool()>& done, int ms = 60000) {
    return pumpStepping([&] { return link && link->step(); }, done, ms);
  }

  void offer(ft::FileProxy* file) {
    a.share({file});
    ASSERT_TRUE(link->runUntil([&] {
      share = b.extension.getCurrentShare();
      return share != nullptr;
    }));
  }

  // What the data object does for a paste of entry 0: a stream on its own
  // apartment thread, registered and requested. Returns the proxy.
  IUnknown* paste(CountedStream** made = nullptr, uint64_t extraSize = 0) {
    ft::FileId id(share->shareId(), 0);
    const ft::ShareEntry* entry = (*share)[0];
    CountedStream* stream = makeStream(id, entry->size + extraSize, entry->name.c_str());
    IUnknown* proxy = stream->runOnComThread(static_cast<IStream*>(stream), IID_IStream);
    stream->attach(b.download());
    b.download()->requestFile(id, entry->name.c_str(), 0, ~(uint64_t)0);
    b.extension.scheduleWriteMsg(b.connection());
    if (made)
      *made = stream;
    return proxy;
  }
};

} // namespace

TEST_F(PastedFile, ReadFromAnotherApartmentWhileTheMainThreadFeedsData) {
  RingSize ring(4096);
  std::string contents = randomBytes(300000, 5);
  offer(new MemFile("big.bin", contents));
  RemoteReader reader(paste(), 1000);
  ASSERT_TRUE(pump([&] { return reader.done && deleted == 1; }));
  EXPECT_EQ(S_FALSE, reader.last);
  EXPECT_TRUE(reader.data == contents) << reader.data.size() << " bytes";
}

TEST_F(PastedFile, ReleaseInTheMiddleAbortsTheDownload) {
  RingSize ring(4096);
  std::string contents = randomBytes(300000, 6);
  MemFile* file = new MemFile("big.bin", contents);
  std::shared_ptr<int64_t> sentUpTo = file->letGoAt;
  offer(file);
  RemoteReader reader(paste(), 1000, 20000);
  ASSERT_TRUE(pump([&] { return reader.done && deleted == 1; }));
  EXPECT_EQ(S_OK, reader.last);
  EXPECT_TRUE(reader.data == contents.substr(0, reader.data.size()));
  EXPECT_FALSE(b.download()->closeStream(ft::FileId(share->shareId(), 0), ""));
  // Whatever was on its way (a renewed limit, data up to it) arrives, and
  // so does the abort: a drops the upload, having sent nothing past the
  // last limit granted.
  ASSERT_TRUE(pump([&] { return !link->step(); }));
  EXPECT_NE(-1, *sentUpTo) << "the upload still runs";
  EXPECT_LE(*sentUpTo, (int64_t)lastGranted);
  EXPECT_LT(*sentUpTo, (int64_t)contents.size());
}

TEST_F(PastedFile, EmptyFileEndsAtOnce) {
  offer(new MemFile("empty", ""));
  RemoteReader reader(paste(), 1000);
  ASSERT_TRUE(pump([&] { return reader.done && deleted == 1; }));
  EXPECT_EQ(S_FALSE, reader.last);
  EXPECT_EQ(1, reader.reads);
  EXPECT_EQ("", reader.data);
}

TEST_F(PastedFile, FileErrorDeniesFurtherReads) {
  MemFile* file = new MemFile("locked", "contents");
  file->openError = "Access is denied";
  offer(file);
  RemoteReader reader(paste(), 1000);
  ASSERT_TRUE(pump([&] { return reader.done && deleted == 1; }));
  EXPECT_EQ(STG_E_ACCESSDENIED, reader.last);
  EXPECT_EQ("", reader.data);
}

TEST_F(PastedFile, AnEmptyFileTheSenderCannotOpenIsAnErrorForTheReader) {
  MemFile* file = new MemFile("locked", "");
  file->openError = "Access is denied";
  offer(file);
  RecordingLogger log;
  log.attach("ComStream:record:120");
  RemoteReader reader(paste(), 1000);
  // The shell reads before the sender's answer has come.
  ASSERT_TRUE(waitUntil([&] { return log.has("ComStream: Waiting for data") || reader.done; },
                        LongWaitMs));
  EXPECT_FALSE(reader.done);
  ASSERT_TRUE(pump([&] { return reader.done && deleted == 1; }));
  EXPECT_EQ(STG_E_ACCESSDENIED, reader.last);
  EXPECT_EQ("", reader.data);
}

TEST_F(PastedFile, AFileShorterThanItsListingIsAnErrorForTheReader) {
  offer(new MemFile("short", "abc"));
  RemoteReader reader(paste(nullptr, 1), 1000);
  ASSERT_TRUE(pump([&] { return reader.done && deleted == 1; }));
  EXPECT_EQ(STG_E_ACCESSDENIED, reader.last);
}

TEST_F(PastedFile, LostConnectionDetachesTheStream) {
  RingSize ring(4096);
  offer(new MemFile("big.bin", randomBytes(100000, 7)));
  CountedStream* stream = nullptr;
  IUnknown* proxy = paste(&stream);
  ASSERT_TRUE(pump([&] { return link->aToB.moved > 4096; }));
  link->step();
  // The connection goes, and its download manager with it.
  link.reset();
  EXPECT_EQ(nullptr, stream->manager());
  RemoteReader reader(proxy, 100000);
  // Neither the Updater nor the stream's deletion reaches the manager.
  ASSERT_TRUE(pump([&] { return reader.done && deleted == 1; }));
  EXPECT_EQ(STG_E_ACCESSDENIED, reader.last);
}

// The shell may hold streams for longer than anything else of the program:
// a stream that could not be registered, the Updater and the connection
// may each go first.
TEST(ComStreamLifetime, StreamsAreSafeWhateverGoesFirst) {
  RingSize ring(4096);
  os::OleInitialiser ole;
  plat::EventManager events;
  std::unique_ptr<ft::ComStream::Updater> updater(new ft::ComStream::Updater);
  std::atomic<int> deleted{0};
  Engine a;
  Engine b;
  std::unique_ptr<MemLink> link(new MemLink(&a, &b));
  a.share({new MemFile("f", randomBytes(100000, 9))});
  ft::ShareProxy* share = nullptr;
  ASSERT_TRUE(link->runUntil([&] { return (share = b.extension.getCurrentShare()) != nullptr; }));
  ft::FileId id(share->shareId(), 0);
  uint64_t lastGranted = 0;
  auto makeStream = [&] {
    CountedStream* stream = new com::ComObject<CountedStream>(&deleted, &lastGranted);
    stream->init(id, 100000, "f");
    return stream;
  };
  auto serveEvents = [&] {
    MSG msg;
    while (events.awaitEvent(&msg, 0))
      DispatchMessageW(&msg);
  };

  CountedStream* running = makeStream();
  running->attach(b.download());
  b.download()->requestFile(id, "f", 0, ~(uint64_t)0);
  b.extension.scheduleWriteMsg(b.connection());
  link->run();
  // The same file asked for again: that stream cannot be registered, and
  // its release must leave the running download alone.
  CountedStream* twin = makeStream();
  EXPECT_THROW(twin->attach(b.download()), plat::Exception);
  static_cast<IStream*>(twin)->Release();
  serveEvents();
  EXPECT_EQ(1, deleted);
  EXPECT_EQ(b.download(), running->manager());
  // Reading makes room, and the download goes on.
  IStream* reader = running;
  std::string got(6000, '\0');
  ULONG n = 0;
  EXPECT_EQ(S_OK, reader->Read(&got[0], 4096, &n));
  serveEvents();
  link->run();
  EXPECT_EQ(S_OK, reader->Read(&got[4096], 1904, &n));
  EXPECT_EQ(1904u, n);

  // A stream the shell holds on its own apartment thread.
  CountedStream* held = makeStream();
  IUnknown* heldProxy = held->runOnComThread(static_cast<IStream*>(held), IID_IStream);

  // The program stops: the Updater ends the download still running...
  updater.reset();
  EXPECT_EQ(nullptr, running->manager());
  link->run();
  EXPECT_FALSE(a.upload().uploadsPending(a.connection()));
  got.assign(8192, '\0');
  EXPECT_EQ(STG_E_ACCESSDENIED, reader->Read(&got[0], 8192, &n));
  // ...and the connection goes; the shell lets go of its streams last.
  share->release();
  link.reset();
  static_cast<IStream*>(running)->Release();
  EXPECT_EQ(2, deleted);
  heldProxy->Release();
  EXPECT_TRUE(waitUntil([&] { return deleted == 3; }, LongWaitMs));
  EXPECT_EQ(3, deleted);
}
