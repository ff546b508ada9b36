// Copied file lists read off other programs' data objects: broken and
// hostile lists never crash, never hold the reader for ever, never offer a
// file outside what was copied, and offer each file once however often
// the list names it.
#include "ClipDataObject.h"
#include "CopiedLists.h"
#include "EndlessFormats.h"

#include "ferrin/FileGroupDescriptor.h"
#include "ferrin/win/ClipboardFiles.h"
#include "ferrin/win/ClipboardFormats.h"
#include "os/win/OleInitialiser.h"
#include "plat/win/Unicode.h"
#include "testing/ChildProcess.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

struct Reading : testing::Test {
  os::OleInitialiser ole;
  // Never started: it only owns the handler.
  ui::clipboard::Thread* watcher = new ui::clipboard::Thread(0);
  ft::ClipboardFiles* files = new ft::ClipboardFiles(watcher);
  clip::ClipDataObject* data = new com::ComObject<clip::ClipDataObject>;

  ~Reading() override {
    static_cast<IDataObject*>(data)->Release();
    watcher->stop(0);
  }

  // Each name as often as it was offered.
  std::multiset<std::string> taken() {
    ft::ManagedVector<ft::FileProxy> got;
    files->handOff()->takeFiles(&got);
    std::multiset<std::string> names;
    for (ft::FileProxy* file : got)
      names.insert(file->name.c_str());
    return names;
  }
};

std::vector<uint8_t> descriptors(const std::vector<std::u16string>& names, uint32_t count,
                                 bool wide = true) {
  std::vector<uint8_t> block(ft::FileGroupDescriptor::blockSize(names.size()));
  ft::FileGroupDescriptor::writeCount(block.data(), count);
  for (size_t i = 0; i < names.size(); i++) {
    ft::FileDescriptorRecord r;
    r.flags = 0x44;
    r.size = 10;
    r.wideName = names[i];
    r.narrowName.assign(names[i].begin(), names[i].end());
    ft::FileGroupDescriptor::writeRecord(block.data(), (uint32_t)i, r, wide);
  }
  return block;
}

std::vector<uint8_t> dropped(const std::vector<std::string>& paths) {
  std::vector<std::wstring> wide;
  for (const std::string& path : paths)
    wide.push_back(testing_support::wide(path));
  return clip::droppedFileList(wide);
}

FORMATETC contents() {
  return {ft::fileContentsFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
}

// A folder "tree" with a file, a sub-folder and a file in it.
void makeTree(const TempDir& dir) {
  CreateDirectoryW(wide(dir.file("tree")).c_str(), nullptr);
  writeFile(dir.file("tree\\a.txt"), "a");
  CreateDirectoryW(wide(dir.file("tree\\sub")).c_str(), nullptr);
  writeFile(dir.file("tree\\sub\\b.txt"), "bb");
}

const std::multiset<std::string> TreeNames = {"tree", "tree/a.txt", "tree/sub", "tree/sub/b.txt"};

} // namespace

TEST_F(Reading, DescriptorNamesThatCouldLeaveTheShareAreNotOffered) {
  data->addBlock(ft::fileGroupDescriptorWFormat(),
                 descriptors({u"ok.txt", u"sub\\in.txt", u"..\\up.txt", u"sub\\..\\..\\x", u"C:\\abs.txt",
                              u"\\root.txt", u"bell\x07.txt", u"a\\\\b"},
                             0xFFFFFFFFu));
  ASSERT_TRUE(files->readDescriptors(data, contents()));
  EXPECT_EQ((std::multiset<std::string>{"ok.txt", "sub/in.txt"}), taken());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(files->handOff()->readyEvent(), 0));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(files->handOff()->pendingEvent(), 0));
}

TEST_F(Reading, DescriptorsInAMediumOtherThanMemoryAreLetGo) {
  // The wide descriptors come as a stream, the narrow ones as memory: the
  // narrow ones are read, and the stream is handed back each time.
  IStream* stream = nullptr;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  data->add(ft::fileGroupDescriptorWFormat(), TYMED_HGLOBAL, -1,
            [stream](const FORMATETC&, STGMEDIUM* medium) {
              stream->AddRef();
              medium->tymed = TYMED_ISTREAM;
              medium->pstm = stream;
              return S_OK;
            });
  data->addBlock(ft::fileGroupDescriptorFormat(), descriptors({u"narrow.txt"}, 1, false));
  for (int copy = 0; copy < 3; copy++) {
    ASSERT_TRUE(files->readDescriptors(data, contents()));
    EXPECT_EQ(std::multiset<std::string>{"narrow.txt"}, taken());
  }
  stream->AddRef();
  EXPECT_EQ(1u, stream->Release()) << "references the reader kept";
  stream->Release();
}

TEST_F(Reading, ShortAndMissingBlocksOfferNothing) {
  data->addBlock(ft::fileGroupDescriptorWFormat(), {1, 0, 0});
  ASSERT_TRUE(files->readDescriptors(data, contents()));
  EXPECT_TRUE(taken().empty());
  FORMATETC memoryOnly = contents();
  memoryOnly.tymed = TYMED_HGLOBAL;
  EXPECT_FALSE(files->readDescriptors(data, memoryOnly));
  // No list of that kind at all.
  EXPECT_THROW(files->readDroppedFiles(data), plat::Exception);
  EXPECT_THROW(files->readShellIdList(data), plat::Exception);

  // Shell item lists whose count or offsets do not fit their block.
  clip::ClipDataObject* cida = new com::ComObject<clip::ClipDataObject>;
  cida->addBlock(ft::shellIdListFormat(), {0xFF, 0xFF, 0xFF, 0xFF, 8, 0, 0, 0, 0, 0});
  EXPECT_THROW(files->readShellIdList(cida), plat::Exception);
  static_cast<IDataObject*>(cida)->Release();
}

TEST_F(Reading, DroppedPathsAreOfferedByTheirLastNameOnly) {
  TempDir dir;
  makeTree(dir);
  writeFile(dir.file("top.txt"), "t");
  data->addBlock(CF_HDROP, dropped({dir.file("tree"), dir.file("top.txt"), dir.file("tree\\.."),
                           dir.file("missing.txt")}));
  ASSERT_TRUE(files->readDroppedFiles(data));
  EXPECT_EQ((std::multiset<std::string>{"tree", "tree/a.txt", "tree/sub", "tree/sub/b.txt", "top.txt"}),
            taken());
}

TEST_F(Reading, AFolderLinkIsOfferedButNotEntered) {
  // Made by the build: a folder with a link back up to itself, which
  // entered would never end. (Wine makes no link itself, but shows a Unix
  // one as a reparse point.) Without it the test would check nothing.
  std::wstring tree = testing_support::programFolder() + L"linked\\tree";
  DWORD attributes = GetFileAttributesW((tree + L"\\loop").c_str());
  ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
              (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      << "the build made no folder link at " << utf8(tree) << "\\loop";
  data->addBlock(CF_HDROP, dropped({utf8(tree)}));
  ASSERT_TRUE(files->readDroppedFiles(data));
  EXPECT_EQ((std::multiset<std::string>{"tree", "tree/a.txt", "tree/loop"}), taken());
}

TEST_F(Reading, AFolderNamedOverAndOverIsCollectedOnce) {
  TempDir dir;
  makeTree(dir);
  // The same folder by the same path, by other spellings of it, and by
  // the same item of a shell item list.
  std::vector<std::string> paths(1000, dir.file("tree"));
  paths.push_back(dir.file(".\\tree"));
  paths.push_back(dir.file("tree\\sub\\..\\..\\tree"));
  paths.push_back(dir.file("TREE"));
  data->addBlock(CF_HDROP, dropped(paths));
  ASSERT_TRUE(files->readDroppedFiles(data));
  EXPECT_EQ(TreeNames, taken());

  for (bool copies : {false, true}) {
    clip::ClipDataObject* list = new com::ComObject<clip::ClipDataObject>;
    list->addBlock(ft::shellIdListFormat(), clip::shellIdList({wide(dir.file("tree"))}, 1000, copies));
    ASSERT_TRUE(files->readShellIdList(list));
    EXPECT_EQ(TreeNames, taken()) << (copies ? "copies" : "one offset");
    static_cast<IDataObject*>(list)->Release();
  }
}

TEST_F(Reading, AFormatEnumeratorThatNeverEndsIsWalkedOnlySoFar) {
  auto handedOut = std::make_shared<std::atomic<uint64_t>>(0);
  // A format whose reader declines it, over and over; the enumerator
  // gives up by itself only after ten million.
  FORMATETC declined = contents();
  declined.tymed = TYMED_HGLOBAL;
  data->setEnumerate([declined, handedOut] {
    return new com::ComObject<clip::EndlessFormats>(declined, 10000000, handedOut);
  });
  EXPECT_FALSE(files->readFormats(data));
  EXPECT_LT(handedOut->load(), 100000u);
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(files->handOff()->pendingEvent(), 0));
}

TEST_F(Reading, AClipboardHoldingSeveralListsIsReadOnceInItsOrder) {
  TempDir dir;
  makeTree(dir);
  writeFile(dir.file("other.txt"), "o");
  data->addBlock(ft::shellIdListFormat(), clip::shellIdList({wide(dir.file("tree"))}));
  data->addBlock(CF_HDROP, dropped({dir.file("other.txt")}));
  ASSERT_TRUE(files->readFormats(data));
  EXPECT_EQ(TreeNames, taken());
}

TEST_F(Reading, AFailedReadCarriesTheSystemsCode) {
  const HRESULT refused = STG_E_MEDIUMFULL;
  auto refuse = [refused](const FORMATETC&, STGMEDIUM*) { return refused; };
  for (CLIPFORMAT format : {ft::shellIdListFormat(), (CLIPFORMAT)CF_HDROP,
                            ft::fileGroupDescriptorWFormat(), ft::fileGroupDescriptorFormat()})
    data->add(format, TYMED_HGLOBAL, -1, refuse);
  struct Reader {
    const char* text;
    std::function<void()> read;
  };
  for (const Reader& reader :
       {Reader{"GetData(SHELLIDLIST): ", [&] { files->readShellIdList(data); }},
        Reader{"GetData(HDROP): ", [&] { files->readDroppedFiles(data); }},
        Reader{"GetData(CF_FILEDESCRIPTOR[W]): ", [&] { files->readDescriptors(data, contents()); }}}) {
    try {
      reader.read();
      ADD_FAILURE() << reader.text << "did not fail";
    } catch (const plat::SystemException& e) {
      EXPECT_EQ(refused, (HRESULT)e.err) << reader.text;
      EXPECT_EQ(0, strncmp(e.str(), reader.text, strlen(reader.text))) << e.str();
    } catch (const plat::Exception& e) {
      ADD_FAILURE() << "without the system's code: " << e.str();
    }
  }
}

TEST_F(Reading, WhatThisProcessPutOnTheClipboardIsNotOfferedBack) {
  TempDir dir;
  writeFile(dir.file("mine.txt"), "m");
  HANDLE pending = files->handOff()->pendingEvent();
  HANDLE ready = files->handOff()->readyEvent();
  for (uint32_t processId : {(uint32_t)GetCurrentProcessId(), (uint32_t)GetCurrentProcessId() + 4}) {
    clip::ClipDataObject* copy = new com::ComObject<clip::ClipDataObject>;
    ft::PrivateRecord record = {processId, 7};
    copy->addBlock(ft::privateFormat(),
                   {(const uint8_t*)&record, (const uint8_t*)&record + sizeof(record)});
    copy->addBlock(CF_HDROP, dropped({dir.file("mine.txt")}));
    ASSERT_EQ(S_OK, OleSetClipboard(static_cast<IDataObject*>(copy)));
    static_cast<IDataObject*>(copy)->Release();
    EXPECT_TRUE(files->clipboardChanged());
    if (processId == GetCurrentProcessId()) {
      EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(pending, 0));
      EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(ready, 0));
    } else {
      // Another ferrin's share: read as any program's copy.
      EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 0));
      EXPECT_EQ(std::multiset<std::string>{"mine.txt"}, taken());
    }
  }
  OleSetClipboard(nullptr);
}
