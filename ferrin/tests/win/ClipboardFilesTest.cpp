// Copied file lists read off other programs' data objects: broken and
// hostile lists never crash and never offer a file outside what was
// copied.
#include "ClipDataObject.h"

#include "ferrin/FileGroupDescriptor.h"
#include "ferrin/win/ClipboardFiles.h"
#include "ferrin/win/ClipboardFormats.h"
#include "os/win/OleInitialiser.h"
#include "plat/win/Unicode.h"
#include "testing/ChildProcess.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

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

  void offer(CLIPFORMAT format, std::vector<uint8_t> block) {
    data->add(format, TYMED_HGLOBAL, -1, [block](const FORMATETC&, STGMEDIUM* medium) {
      medium->tymed = TYMED_HGLOBAL;
      medium->hGlobal = clip::globalCopy(block.data(), block.size());
      return S_OK;
    });
  }
  std::set<std::string> taken() {
    ft::ManagedVector<ft::FileProxy> got;
    files->takeFiles(&got);
    std::set<std::string> names;
    for (ft::FileProxy* file : got)
      names.insert(file->name.c_str());
    return names;
  }
};

std::vector<uint8_t> descriptors(const std::vector<std::u16string>& names, uint32_t count) {
  std::vector<uint8_t> block(ft::FileGroupDescriptor::blockSize(names.size()));
  ft::FileGroupDescriptor::writeCount(block.data(), count);
  for (size_t i = 0; i < names.size(); i++) {
    ft::FileDescriptorRecord r;
    r.flags = 0x44;
    r.size = 10;
    r.wideName = names[i];
    ft::FileGroupDescriptor::writeRecord(block.data(), (uint32_t)i, r, true);
  }
  return block;
}

std::vector<uint8_t> dropped(const std::vector<std::string>& paths) {
  std::vector<uint8_t> block(20, 0);
  block[0] = 20;
  block[16] = 1; // wide
  for (const std::string& path : paths) {
    std::wstring w = wide(path);
    const uint8_t* p = (const uint8_t*)w.c_str();
    block.insert(block.end(), p, p + (w.size() + 1) * 2);
  }
  block.insert(block.end(), 2, 0);
  return block;
}

FORMATETC contents() {
  return {ft::fileContentsFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
}

} // namespace

TEST_F(Reading, DescriptorNamesThatCouldLeaveTheShareAreNotOffered) {
  offer(ft::fileGroupDescriptorWFormat(),
        descriptors({u"ok.txt", u"sub\\in.txt", u"..\\up.txt", u"sub\\..\\..\\x", u"C:\\abs.txt",
                     u"\\root.txt", u"bell\x07.txt", u"a\\\\b"},
                    0xFFFFFFFFu));
  ASSERT_TRUE(files->readDescriptors(data, contents()));
  EXPECT_EQ((std::set<std::string>{"ok.txt", "sub/in.txt"}), taken());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(files->readyEvent(), 0));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(files->pendingEvent(), 0));
}

TEST_F(Reading, ShortAndMissingBlocksOfferNothing) {
  offer(ft::fileGroupDescriptorWFormat(), {1, 0, 0});
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
  std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0xFF, 8, 0, 0, 0, 0, 0};
  cida->add(ft::shellIdListFormat(), TYMED_HGLOBAL, -1, [huge](const FORMATETC&, STGMEDIUM* m) {
    m->tymed = TYMED_HGLOBAL;
    m->hGlobal = clip::globalCopy(huge.data(), huge.size());
    return S_OK;
  });
  EXPECT_THROW(files->readShellIdList(cida), plat::Exception);
  static_cast<IDataObject*>(cida)->Release();
}

TEST_F(Reading, DroppedPathsAreOfferedByTheirLastNameOnly) {
  TempDir dir;
  CreateDirectoryW(wide(dir.file("tree")).c_str(), nullptr);
  writeFile(dir.file("tree\\a.txt"), "a");
  CreateDirectoryW(wide(dir.file("tree\\sub")).c_str(), nullptr);
  writeFile(dir.file("tree\\sub\\b.txt"), "bb");
  writeFile(dir.file("top.txt"), "t");
  offer(CF_HDROP, dropped({dir.file("tree"), dir.file("top.txt"), dir.file("tree\\.."),
                           dir.file("missing.txt")}));
  ASSERT_TRUE(files->readDroppedFiles(data));
  EXPECT_EQ((std::set<std::string>{"tree", "tree/a.txt", "tree/sub", "tree/sub/b.txt", "top.txt"}),
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
  offer(CF_HDROP, dropped({utf8(tree)}));
  ASSERT_TRUE(files->readDroppedFiles(data));
  EXPECT_EQ((std::set<std::string>{"tree", "tree/a.txt", "tree/loop"}), taken());
}
