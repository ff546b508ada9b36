// Remote shares on the Windows clipboard: the marker while a share is
// listed, the data object once it is ready, what it renders, the paste
// served in the multithreaded apartment, and the clipboard left alone when
// it belongs to someone else.
#include "com/win/MtaThread.h"
#include "ferrin/FileGroupDescriptor.h"
#include "ferrin/win/ClipboardFormats.h"
#include "ferrin/win/ComStream.h"
#include "ferrin/win/DataObject.h"
#include "ferrin/win/ShareClipboard.h"
#include "ft/Parameters.h"
#include "ft/ShareProxy.h"
#include "ft/win/ActiveShareAutoDownloader.h"
#include "os/win/OleInitialiser.h"
#include "os/win/StgMedium.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "testing/ClipboardText.h"
#include "testing/EventPump.h"
#include "testing/FtEngine.h"
#include "testing/ReturnsWithin.h"
#include "testing/TempDir.h"
#include "win/ClipboardHolder.h"
#include "win/RemoteReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

using namespace testing_support;
using ferrin_test::ClipboardHolder;
using ferrin_test::RemoteReader;

namespace {

bool currentRecord(ft::PrivateRecord* record) {
  IDataObject* data = nullptr;
  if (FAILED(OleGetClipboard(&data)))
    return false;
  bool found = ft::readPrivateRecord(data, record);
  data->Release();
  return found;
}

FORMATETC contentsFormat(LONG index) {
  return {ft::fileContentsFormat(), nullptr, DVASPECT_CONTENT, index, TYMED_ISTREAM};
}

struct RingSize {
  explicit RingSize(int size) { ft::fileTransferBufferSize.setValue(size, plat::PriorityUser); }
  ~RingSize() { ft::fileTransferBufferSize.removeValue(plat::PriorityUser); }
};

struct ClipboardShare : testing::Test {
  os::OleInitialiser ole;
  plat::EventManager events;
  ft::ComStream::Updater updater;
  Engine a;
  Engine b;
  ft::ShareClipboard clipboard{&b.extension};
  std::unique_ptr<MemLink> link{new MemLink(&a, &b)};

  ~ClipboardShare() override { OleSetClipboard(nullptr); }

  // Runs the link and the thread's events until done() holds.
  bool pump(const std::function<bool()>& done, int ms = LongWaitMs) {
    return pumpStepping([&] { return link && link->step(); }, done, ms);
  }

  // Offers the files from a; returns b's share once listed (a reference
  // for the caller).
  ft::ShareProxy* offer(std::vector<ft::FileProxy*> files, uint32_t flags) {
    uint32_t id = a.share(files, flags);
    ft::ShareProxy* share = nullptr;
    EXPECT_TRUE(pump([&] {
      if (share)
        share->release();
      share = b.extension.getCurrentShare();
      return share && share->shareId() == id;
    }));
    return share;
  }

  // Returns once b has let go of the share, and the clipboard has heard.
  void withdraw(ft::ShareProxy* share) {
    a.upload().withdrawShare(a.connection(), share->shareId());
    EXPECT_TRUE(pump([&] {
      ft::ShareProxy* current = b.extension.getCurrentShare();
      if (current)
        current->release();
      return current != share;
    }));
  }

  ft::DataObject* dataObjectOver(ft::ShareProxy* share) {
    ft::DataObject* data = new com::ComObject<ft::DataObject>;
    data->setShare(share);
    return data;
  }
};

} // namespace

TEST_F(ClipboardShare, MarkerWhileListedThenDescriptorsThenEmptiedOnWithdrawal) {
  ft::PrivateRecord record;
  clipboard.sharePending(9, 2);
  EXPECT_TRUE(IsClipboardFormatAvailable(ft::privateFormat()));
  EXPECT_FALSE(IsClipboardFormatAvailable(ft::fileGroupDescriptorWFormat()));
  ASSERT_TRUE(currentRecord(&record));
  EXPECT_EQ(GetCurrentProcessId(), record.processId);
  EXPECT_EQ(0u, record.shareId);

  ft::ShareProxy* share = offer(
      {new MemDir("d"), new MemFile("d/x.txt", "hello"), new MemFile("a:b", "")}, 2);
  ASSERT_TRUE(share);
  ASSERT_TRUE(currentRecord(&record));
  EXPECT_EQ(share->shareId(), record.shareId);

  IDataObject* data = nullptr;
  ASSERT_EQ(S_OK, OleGetClipboard(&data));
  FORMATETC wide = {ft::fileGroupDescriptorWFormat(), nullptr, DVASPECT_CONTENT, -1,
                    TYMED_HGLOBAL};
  os::StgMedium medium;
  ASSERT_EQ(S_OK, data->GetData(&wide, medium.get()));
  data->Release();
  const void* block = GlobalLock(medium.medium.hGlobal);
  ft::FileGroupDescriptor descriptors(block, GlobalSize(medium.medium.hGlobal), true);
  ASSERT_EQ(3u, descriptors.count());
  EXPECT_EQ(u"d", descriptors.record(0).wideName);
  EXPECT_EQ(0x10u, descriptors.record(0).attributes & 0x10);
  // '\' between the levels; a name Windows refuses is made safe.
  EXPECT_EQ(u"d\\x.txt", descriptors.record(1).wideName);
  EXPECT_EQ(5u, descriptors.record(1).size);
  EXPECT_EQ(0x407Cu, descriptors.record(1).flags);
  EXPECT_EQ(u"a-b", descriptors.record(2).wideName);
  GlobalUnlock(medium.medium.hGlobal);

  withdraw(share);
  EXPECT_TRUE(pump([] { return !IsClipboardFormatAvailable(ft::fileGroupDescriptorWFormat()); }));
  EXPECT_FALSE(IsClipboardFormatAvailable(ft::privateFormat()));
  share->release();
}

TEST_F(ClipboardShare, OtherContentsAreLeftAlone) {
  ASSERT_TRUE(putClipboardText(L"keep"));
  // Saved into the fetch folder only: the clipboard is not touched.
  clipboard.sharePending(3, 1);
  ft::ShareProxy* folderShare = offer({new MemFile("f", "data")}, 1);
  EXPECT_EQ(L"keep", clipboardText());
  folderShare->release();

  // No flags at all means the clipboard.
  ft::ShareProxy* share = offer({new MemFile("g", "data")}, 0);
  EXPECT_TRUE(IsClipboardFormatAvailable(ft::fileGroupDescriptorWFormat()));
  // Another program copies something meanwhile: the withdrawal keeps it.
  ASSERT_TRUE(putClipboardText(L"newer"));
  withdraw(share);
  EXPECT_EQ(L"newer", clipboardText());
  share->release();
}

TEST_F(ClipboardShare, AShareThatFindsTheClipboardHeldOpenGoesOnOnceItIsLetGo) {
  plat::TimerManager timers;
  std::unique_ptr<ClipboardHolder> holder(new ClipboardHolder);
  ASSERT_TRUE(holder->holds());
  ft::ShareProxy* share = offer({new MemFile("h", "held")}, 2);
  ASSERT_TRUE(share);
  // It tries again meanwhile.
  EXPECT_NE(-1, timers.timeUntilNext());
  pumpFor(300);
  ASSERT_TRUE(holder->letGo());
  ft::PrivateRecord record;
  EXPECT_TRUE(pumpUntil(
      [&] { return currentRecord(&record) && record.shareId == share->shareId(); }, LongWaitMs));

  // Withdrawn while it waits: it stays off the clipboard, tried no more.
  OleSetClipboard(nullptr);
  holder.reset(new ClipboardHolder);
  ASSERT_TRUE(holder->holds());
  ft::ShareProxy* second = offer({new MemFile("i", "gone")}, 2);
  ASSERT_TRUE(second);
  EXPECT_NE(-1, timers.timeUntilNext());
  withdraw(second);
  EXPECT_EQ(-1, timers.timeUntilNext());
  ASSERT_TRUE(holder->letGo());
  EXPECT_FALSE(IsClipboardFormatAvailable(ft::fileGroupDescriptorWFormat()));
  second->release();
  share->release();
}

TEST_F(ClipboardShare, ANewShareEndsTheRetryOfAnOlderOne) {
  plat::TimerManager timers;
  ClipboardHolder holder;
  ASSERT_TRUE(holder.holds()) << "the clipboard could not be held open";
  ft::ShareProxy* older = offer({new MemFile("old", "older")}, 2);
  ASSERT_TRUE(older);
  EXPECT_NE(-1, timers.timeUntilNext());
  ASSERT_TRUE(holder.letGo());
  // The next copy is announced before the older one's retry comes round:
  // its marker stays until its own data object replaces it.
  clipboard.sharePending(older->shareId() + 1, 2);
  EXPECT_EQ(-1, timers.timeUntilNext());
  ft::PrivateRecord record;
  ASSERT_TRUE(currentRecord(&record));
  EXPECT_EQ(0u, record.shareId);
  EXPECT_FALSE(IsClipboardFormatAvailable(ft::fileGroupDescriptorWFormat()));
  older->release();
}

TEST_F(ClipboardShare, FormatsAndIndexesTheDataObjectAnswers) {
  ft::ShareProxy* share = offer({new MemDir("d"), new MemFile("d/x", "x")}, 2);
  ft::DataObject* object = dataObjectOver(share);
  IDataObject* data = object;

  IEnumFORMATETC* formats = nullptr;
  EXPECT_EQ(E_NOTIMPL, data->EnumFormatEtc(DATADIR_SET, &formats));
  ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, &formats));
  FORMATETC rows[6];
  ULONG fetched = 0;
  EXPECT_EQ(S_FALSE, formats->Next(6, rows, &fetched));
  ASSERT_EQ(4u, fetched);
  EXPECT_EQ(ft::fileGroupDescriptorWFormat(), rows[0].cfFormat);
  EXPECT_EQ(ft::fileGroupDescriptorFormat(), rows[1].cfFormat);
  EXPECT_EQ(ft::privateFormat(), rows[2].cfFormat);
  EXPECT_EQ(ft::fileContentsFormat(), rows[3].cfFormat);
  EXPECT_EQ((DWORD)TYMED_ISTREAM, rows[3].tymed);
  IEnumFORMATETC* clone = nullptr;
  ASSERT_EQ(S_OK, formats->Clone(&clone));
  EXPECT_EQ(S_OK, clone->Next(1, rows, nullptr));
  EXPECT_EQ(ft::fileGroupDescriptorWFormat(), rows[0].cfFormat);
  EXPECT_EQ(S_OK, clone->Reset());
  EXPECT_EQ(S_FALSE, clone->Skip(10));
  EXPECT_EQ(S_FALSE, clone->Next(1, rows, &fetched));
  EXPECT_EQ(0u, fetched);
  clone->Release();
  formats->Release();

  FORMATETC asMemory = contentsFormat(1);
  asMemory.tymed = TYMED_HGLOBAL;
  EXPECT_EQ(DV_E_FORMATETC, data->QueryGetData(&asMemory));
  FORMATETC asStream = contentsFormat(1);
  EXPECT_EQ(S_OK, data->QueryGetData(&asStream));
  for (LONG index : {-1L, 2L, 0L}) {
    FORMATETC format = contentsFormat(index);
    os::StgMedium medium;
    EXPECT_EQ(DV_E_LINDEX, data->GetData(&format, medium.get())) << index;
  }
  os::StgMedium unused;
  EXPECT_EQ(E_NOTIMPL, data->GetDataHere(&asStream, unused.get()));
  DWORD connection = 0;
  EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, data->DAdvise(&asStream, 0, nullptr, &connection));

  // The connection goes: the listing can still be described, but no file
  // can be had any more.
  link.reset();
  os::StgMedium medium;
  EXPECT_EQ(E_FAIL, data->GetData(&asStream, medium.get()));
  FORMATETC narrow = {ft::fileGroupDescriptorFormat(), nullptr, DVASPECT_CONTENT, -1,
                      TYMED_HGLOBAL};
  os::StgMedium descriptors;
  EXPECT_EQ(S_OK, data->GetData(&narrow, descriptors.get()));
  data->Release();
  share->release();
}

TEST_F(ClipboardShare, PastesBesideTheFolderDownloadOfTheSameShareGetIdsOfTheirOwn) {
  RingSize ring(4096);
  TempDir folder;
  ft::fetchDir.setParam(folder.path().c_str(), plat::PriorityUser);
  ft::ActiveShareAutoDownloader autoDownloader(&b.extension, nullptr);
  std::string first(5000, 'a'), second(300000, 'b');
  // Flags 3: onto the clipboard and into the fetch folder.
  ft::ShareProxy* share = offer({new MemFile("one", first), new MemFile("two", second)}, 3);
  ft::DataObject* object = dataObjectOver(share);
  IDataObject* data = object;
  // The folder download holds the ids of both entries while "two" runs.
  FORMATETC format = contentsFormat(0);
  STGMEDIUM pasteA = {}, pasteB = {};
  ASSERT_EQ(S_OK, data->GetData(&format, &pasteA));
  ASSERT_EQ(S_OK, data->GetData(&format, &pasteB));
  RemoteReader readerA(pasteA.pstm, 1000), readerB(pasteB.pstm, 777);
  if (!pump([&] { return readerA.done && readerB.done; })) {
    ADD_FAILURE() << "Pastes not read: " << readerA.data.size() << " and " << readerB.data.size()
                  << " bytes";
    // The connection goes: every stream ends, and with it the reads that
    // wait for data only this thread could bring.
    link.reset();
    EXPECT_TRUE(pump([&] { return readerA.done && readerB.done; }));
  }
  EXPECT_TRUE(readerA.data == first);
  EXPECT_TRUE(readerB.data == first);
  if (link) {
    EXPECT_TRUE(pump([&] { return readFile(folder.file("two")).size() == second.size(); }));
  }
  data->Release();
  share->release();
  ft::fetchDir.removeValue(plat::PriorityUser);
}

TEST_F(ClipboardShare, RenderingFileContentsIntoMemoryIsRefusedNotWaitedFor) {
  ft::ShareProxy* share = offer({new MemFile("f", std::string(100000, 'f'))}, 2);
  ASSERT_TRUE(IsClipboardFormatAvailable(ft::fileContentsFormat()));
  // A program that is not OLE-aware asks for the contents as memory: the
  // clipboard has this thread render them while the program waits.
  auto rendered = std::make_shared<HANDLE>(INVALID_HANDLE_VALUE);
  CallInThread program([rendered] {
    if (OpenClipboard(nullptr)) {
      *rendered = GetClipboardData(ft::fileContentsFormat());
      CloseClipboard();
    }
  });
  ASSERT_TRUE(pump([&] { return program.returnedWithin(0); }));
  EXPECT_EQ(nullptr, *rendered);
  share->release();
}

TEST_F(ClipboardShare, PasteFromAnotherApartmentIsServedInTheMultithreadedOne) {
  com::MtaThread apartment;
  std::string one(3000, '1'), two(5000, '2'), three(7000, '3');
  ft::ShareProxy* share =
      offer({new MemFile("one", one), new MemFile("two", two), new MemFile("three", three)}, 2);
  ft::DataObject* object = dataObjectOver(share);
  IStream* marshalled = nullptr;
  ASSERT_EQ(S_OK, CoMarshalInterThreadInterfaceInStream(
                      IID_IDataObject, static_cast<IDataObject*>(object), &marshalled));
  // A paste that passes a file over and comes back to it: the file opened
  // ahead is never given for another.
  struct Pasted {
    std::map<LONG, std::string> files;
    bool unmarshalledAsItself = false;
  };
  auto pasted = std::make_shared<Pasted>();
  IDataObject* original = static_cast<IDataObject*>(object);
  CallInThread paste([pasted, marshalled, original] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IDataObject* data = nullptr;
    if (SUCCEEDED(CoGetInterfaceAndReleaseStream(marshalled, IID_IDataObject, (void**)&data))) {
      pasted->unmarshalledAsItself = data == original;
      for (LONG index : {0L, 2L, 1L}) {
        FORMATETC format = contentsFormat(index);
        os::StgMedium medium;
        if (data->GetData(&format, medium.get()) != S_OK)
          continue;
        char buffer[1000];
        ULONG n = 0;
        while (medium.medium.pstm->Read(buffer, sizeof(buffer), &n) == S_OK || n > 0)
          pasted->files[index].append(buffer, n);
      }
      data->Release();
    }
    CoUninitialize();
  });
  ASSERT_TRUE(pump([&] { return paste.returnedWithin(0); }));
  EXPECT_TRUE(pasted->unmarshalledAsItself);
  EXPECT_TRUE(pasted->files[0] == one);
  EXPECT_TRUE(pasted->files[1] == two);
  EXPECT_TRUE(pasted->files[2] == three);
  static_cast<IDataObject*>(object)->Release();
  share->release();
}
