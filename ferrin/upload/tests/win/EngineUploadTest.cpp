// Files offered by one engine and fetched by another through memory: the
// upload sources as the upload manager uses them, woken through the
// thread's event manager.
#include "ferrin/Parameters.h"
#include "ferrin/upload/win/FileProxyIStream.h"
#include "ferrin/upload/win/FileProxyWin32File.h"
#include "ferrin/upload/win/UploadHandler.h"
#include "ft/FileAttributes.h"
#include "ft/ShareProxy.h"
#include "os/win/OleInitialiser.h"
#include "plat/CallCounter.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "StreamDrain.h"
#include "TestIStream.h"
#include "testing/FtEngine.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

// A data object whose file contents are fresh streams over strings.
class TestDataObject : public com::ComObjectImpl, public IDataObject {
public:
  explicit TestDataObject(std::vector<std::string> files) : files(std::move(files)) {}

  bool canSeek = true;
  int gets = 0;

  void getInterfaces(com::InterfaceList* list) override {
    IUnknown* self = static_cast<IDataObject*>(this);
    list->push_back({IID_IUnknown, self});
    list->push_back({IID_IDataObject, self});
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    gets++;
    if (format->cfFormat != contents() || !(format->tymed & TYMED_ISTREAM) ||
        format->lindex < 0 || format->lindex >= (LONG)files.size())
      return DV_E_FORMATETC;
    TestStream* stream = newTestIStream(files[format->lindex]);
    stream->canSeek = canSeek;
    stream->piece = 3000;
    medium->tymed = TYMED_ISTREAM;
    medium->pstm = stream;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  static CLIPFORMAT contents() {
    return (CLIPFORMAT)RegisterClipboardFormatW(L"FileContents");
  }

private:
  std::vector<std::string> files;
};
typedef com::ComObject<TestDataObject> DataObject;

struct EngineUpload : testing::Test {
  os::OleInitialiser ole;
  plat::EventManager events;
  plat::TimerManager timers;
  TempDir dir;
  std::deque<MemSink> sinks; // outlive the engines, which close them
  Engine a;
  Engine b;
  MemLink link{&a, &b};

  // Moves bytes and serves the thread's events (finished reads, read-ahead
  // data) until done() holds.
  bool run(const std::function<bool()>& done, int ms = 20000) {
    return pumpUntil(
        [&] {
          while (link.step()) {
          }
          return done();
        },
        ms);
  }
  ft::ShareProxy* offer(std::vector<ft::FileProxy*> files) {
    uint32_t id = a.share(files, 1);
    ft::ShareProxy* share = nullptr;
    run([&] {
      share = b.extension.getCurrentShare();
      if (share && share->shareId() == id)
        return true;
      if (share)
        share->release();
      share = nullptr;
      return false;
    });
    return share;
  }
  // Asks for entry index from start on, as file number (the requester's
  // choice) number.
  MemSink& fetch(ft::ShareProxy* share, uint32_t index, uint64_t start = 0,
                 uint32_t number = ~0u) {
    sinks.emplace_back(1 << 20, start);
    MemSink& sink = sinks.back();
    rfb::MsgHandler* c = b.connection();
    sink.afterWrite = [this, c] { b.extension.scheduleWriteMsg(c); };
    ft::FileId id(share->shareId(), number == ~0u ? index : number);
    b.download()->addStream(id, &sink);
    b.download()->requestFile(id, (*share)[index]->name.c_str(), start, ~(uint64_t)0);
    b.extension.scheduleWriteMsg(c);
    return sink;
  }
};

} // namespace

TEST(FileProxyWin32File, DescribesTheFileUnderItsShareName) {
  TempDir dir;
  writeFile(dir.file("data.bin"), pattern(5000));
  std::wstring path = wide(dir.file("data.bin"));
  ft::FileProxyWin32File named(path.c_str(), L"folder\\data.bin");
  EXPECT_STREQ("folder/data.bin", named.name.c_str());
  EXPECT_EQ(5000u, named.size);
  EXPECT_EQ(0u, named.flags);
  EXPECT_NE(0u, named.mtime);
  EXPECT_EQ(GetFileAttributesW(path.c_str()), ft::FileAttributes::win32Attributes(named));
  ft::FileProxyWin32File ansi(dir.file("data.bin").c_str(), "a\\b", CP_UTF8);
  EXPECT_STREQ("a/b", ansi.name.c_str());
  EXPECT_EQ(std::string(ansi.path()).find('\\'), std::string::npos);

  CreateDirectoryW(wide(dir.file("sub")).c_str(), nullptr);
  ft::FileProxyWin32File folder(wide(dir.file("sub")).c_str(), L"sub");
  EXPECT_EQ((uint32_t)ft::ShareEntry::Directory, folder.flags);
  EXPECT_THROW(ft::FileProxyWin32File(wide(dir.file("missing")).c_str(), L"m"), plat::Exception);
}

TEST_F(EngineUpload, LocalFilesAreReadFromAnyOffsetToTheirEnd) {
  std::string big = pattern(300000, 1), small = pattern(777, 2);
  writeFile(dir.file("big"), big);
  writeFile(dir.file("small"), small);
  writeFile(dir.file("empty"), "");
  ft::ShareProxy* share = offer(
      {new ft::FileProxyWin32File(wide(dir.file("big")).c_str(), L"big"),
       new ft::FileProxyWin32File(wide(dir.file("small")).c_str(), L"small"),
       new ft::FileProxyWin32File(wide(dir.file("empty")).c_str(), L"empty")});
  ASSERT_TRUE(share);
  MemSink& whole = fetch(share, 0);
  MemSink& tail = fetch(share, 0, 123457, 100);
  MemSink& little = fetch(share, 1);
  MemSink& none = fetch(share, 2);
  ASSERT_TRUE(run([&] { return whole.closed() && tail.closed() && little.closed() && none.closed(); }));
  EXPECT_EQ("", whole.closeMessage);
  EXPECT_TRUE(whole.received == big);
  EXPECT_TRUE(tail.received == big.substr(123457));
  EXPECT_EQ(small, little.received);
  EXPECT_EQ("", none.received);
  EXPECT_EQ("", none.closeMessage);
  EXPECT_EQ(0, events.eventCount()); // every upload stream is gone
  share->release();
}

// A small file may lie on a slow network share as well as a large one:
// its reads go through the overlapped stream, which never holds the thread.
TEST_F(EngineUpload, SmallFilesAreReadWithOverlappedReads) {
  std::string small = pattern(1000, 5);
  writeFile(dir.file("small"), small);
  writeFile(dir.file("empty"), "");
  ft::ShareProxy* share =
      offer({new ft::FileProxyWin32File(wide(dir.file("small")).c_str(), L"small"),
             new ft::FileProxyWin32File(wide(dir.file("empty")).c_str(), L"empty")});
  ASSERT_TRUE(share);
  plat::CallCounter* reads = plat::CallCounter::find("upload.read");
  ASSERT_TRUE(reads);
  uint64_t before = reads->value();
  MemSink& whole = fetch(share, 0);
  MemSink& tail = fetch(share, 0, 990, 100);
  MemSink& none = fetch(share, 1);
  ASSERT_TRUE(run([&] { return whole.closed() && tail.closed() && none.closed(); }));
  EXPECT_EQ(small, whole.received);
  EXPECT_EQ(small.substr(990), tail.received);
  EXPECT_EQ("", none.closeMessage);
  EXPECT_LE(before + 3, reads->value());
  share->release();
}

// The upload reads the file as it finds it, whatever its listing said.
TEST_F(EngineUpload, AFileThatChangedSinceItWasListedIsReadAsItIs) {
  writeFile(dir.file("grown"), "abc");
  writeFile(dir.file("shrunk"), pattern(1000, 6));
  ft::ShareProxy* share =
      offer({new ft::FileProxyWin32File(wide(dir.file("grown")).c_str(), L"grown"),
             new ft::FileProxyWin32File(wide(dir.file("shrunk")).c_str(), L"shrunk")});
  ASSERT_TRUE(share);
  std::string grown = pattern(300000, 7);
  writeFile(dir.file("grown"), grown);
  writeFile(dir.file("shrunk"), "abc");
  MemSink& longer = fetch(share, 0);
  MemSink& shorter = fetch(share, 1);
  ASSERT_TRUE(run([&] { return longer.closed() && shorter.closed(); }));
  EXPECT_TRUE(longer.received == grown) << longer.received.size();
  EXPECT_EQ("abc", shorter.received);
  EXPECT_NE("", shorter.closeMessage);
  share->release();
}

TEST_F(EngineUpload, AFileThatCannotBeOpenedIsAFileError) {
  writeFile(dir.file("gone"), "soon gone");
  ft::ShareProxy* share = offer({new ft::FileProxyWin32File(wide(dir.file("gone")).c_str(), L"gone")});
  ASSERT_TRUE(share);
  DeleteFileW(wide(dir.file("gone")).c_str());
  MemSink& sink = fetch(share, 0);
  ASSERT_TRUE(run([&] { return sink.closed(); }));
  EXPECT_EQ(0u, sink.closeMessage.find("CreateFileW: ")) << sink.closeMessage;
  share->release();
}

TEST_F(EngineUpload, FileContentsAreReadThreadedOrDirectFromAnyOffset) {
  std::vector<std::string> files = {pattern(200000, 3), pattern(5000, 4)};
  for (bool threaded : {true, false}) {
    for (bool canSeek : {true, false}) {
      bool before = ferrin::multiThreadedIStreams;
      ferrin::multiThreadedIStreams.setValue(threaded, plat::PriorityUser);
      DataObject* data = new DataObject(files);
      data->canSeek = canSeek;
      CLIPFORMAT format = TestDataObject::contents();
      ft::ShareProxy* share = offer(
          {new ft::FileProxyIStream(data, format, 0, "first", FILE_ATTRIBUTE_ARCHIVE, 200000, 1, 2, 3),
           new ft::FileProxyIStream(data, format, 1, "second", FILE_ATTRIBUTE_READONLY, 5000, 1, 2, 3),
           new ft::FileProxyIStream(data, format, 1, "short", 0, 9000, 1, 2, 3)});
      data->Release();
      ASSERT_TRUE(share);
      EXPECT_EQ((uint32_t)ft::ShareEntry::ReadOnly, (*share)[1]->flags);
      MemSink& whole = fetch(share, 0);
      MemSink& tail = fetch(share, 0, 150001, 100);
      MemSink& second = fetch(share, 1);
      MemSink& beyond = fetch(share, 2, 6000);
      ASSERT_TRUE(run([&] {
        return whole.closed() && tail.closed() && second.closed() && beyond.closed();
      }));
      EXPECT_TRUE(whole.received == files[0]) << threaded << canSeek;
      EXPECT_TRUE(tail.received == files[0].substr(150001)) << threaded << canSeek;
      EXPECT_TRUE(second.received == files[1]) << threaded << canSeek;
      if (canSeek) // our stream stops at its end when seeking past it
        EXPECT_EQ("File ended after 6000 of its 9000 bytes", beyond.closeMessage);
      else
        EXPECT_EQ("Can't seek to 6000: stream size is 5000", beyond.closeMessage);
      share->release();
      ferrin::multiThreadedIStreams.setValue(before, plat::PriorityUser);
    }
  }
}

TEST(UploadHandler, NeedsAConnection) {
  try {
    ft::UploadHandler handler(nullptr, nullptr);
    FAIL();
  } catch (plat::Exception& e) {
    EXPECT_STREQ("no conn for processEvent", e.str());
  }
}
