#include "ft/ShareEntry.h"
#include "rdr/MemInStream.h"
#include "rdr/MemOutStream.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using ft::FileAttributes;
using ft::ShareEntry;

namespace {

void expectRefused(const char* name, const char* why) {
  ShareEntry e(name, 0, 0, 0, 0, 0);
  try {
    e.validateName();
    ADD_FAILURE() << "accepted '" << name << "'";
  } catch (plat::Exception& ex) {
    EXPECT_STREQ(why, ex.str()) << name;
  }
}

std::unique_ptr<ShareEntry> roundTrip(const ShareEntry& entry) {
  rdr::MemOutStream out;
  entry.write(out);
  rdr::MemInStream in(out.data(), out.length());
  std::unique_ptr<ShareEntry> back(new ShareEntry);
  back->read(in);
  EXPECT_EQ(out.length(), in.pos());
  return back;
}

struct Win32Only : ShareEntry::AttributeFilter {
  bool accept(const FileAttributes& block) override { return FileAttributes::isWin32(block); }
};

} // namespace

TEST(ShareEntry, NamesThatCouldLeaveTheShareAreRefused) {
  const char* empty = "Filename cannot contain empty path components";
  const char* dots = "Filename cannot be . or ..";
  expectRefused("", empty);
  expectRefused("/a", empty);
  expectRefused("a/", empty);
  expectRefused("a//b", empty);
  expectRefused(".", dots);
  expectRefused("a/../b", dots);
  expectRefused("..", dots);
  expectRefused("a/\xff", "Invalid UTF-8 filename");
  expectRefused("\xed\xa0\x80", "Invalid UTF-8 filename");     // a surrogate
  expectRefused("\xf4\x90\x80\x80", "Invalid UTF-8 filename"); // beyond Unicode
  // An over-long '.' cannot sneak a parent folder past the check.
  expectRefused("a/\xc0\xae\xc0\xae/b", dots);

  for (const char* good : {"a/b.c", "...", ".hidden", "a b/c", "\xc3\xa9t\xc3\xa9"}) {
    ShareEntry e(good, 0, 0, 0, 0, 0);
    EXPECT_NO_THROW(e.validateName()) << good;
  }
}

TEST(ShareEntry, WireRecordKeepsFlagsAfterTheTimes) {
  ShareEntry e("dir/file.txt", ShareEntry::Hidden, 0x0102030405060708ull, 1, 2, 3);
  e.attributes.push_back(FileAttributes::makeWin32(0x22));
  rdr::MemOutStream out;
  e.write(out);
  const uint8_t expected[] = {
      0, 0, 0, 12, 'd', 'i', 'r', '/', 'f', 'i', 'l', 'e', '.', 't', 'x', 't', // name
      1, 2, 3, 4, 5, 6, 7, 8,                                                  // size
      0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 3,  // times
      0, 0, 0, 2,                                                              // flags
      0, 0, 0, 1,                                                              // blocks
      5, 'W', 'I', 'N', '3', '2', 0, 0, 0, 4, 0, 0, 0, 0x22};
  ASSERT_EQ((int)sizeof(expected), out.length());
  EXPECT_EQ(0, memcmp(expected, out.data(), sizeof(expected)));

  std::unique_ptr<ShareEntry> back = roundTrip(e);
  EXPECT_STREQ("dir/file.txt", back->name.c_str());
  EXPECT_EQ(ShareEntry::Hidden, back->flags);
  EXPECT_EQ(e.size, back->size);
  EXPECT_EQ(3u, back->mtime);
  ASSERT_EQ(1u, back->attributes.size());
  EXPECT_EQ(0x22u, FileAttributes::win32Attributes(*back));

  ShareEntry copy(e);
  EXPECT_NE(e.attributes[0], copy.attributes[0]);
  EXPECT_EQ(0x22u, FileAttributes::win32Attributes(copy));
}

TEST(ShareEntry, Win32AttributeWord) {
  EXPECT_EQ((uint32_t)(ShareEntry::Directory | ShareEntry::Hidden | ShareEntry::ReadOnly),
            ShareEntry::flagsFromWin32(0x10 | 0x2 | 0x1 | 0x20 | 0x800));

  ShareEntry dir("d", ShareEntry::Directory, 0, 0, 0, 0);
  const uint8_t three[3] = {0, 0, 0x10};
  dir.attributes.push_back(new FileAttributes("win32", three, 3)); // not a word
  EXPECT_EQ(0x10u, FileAttributes::win32Attributes(dir));
  ShareEntry plain("f", 0, 0, 0, 0, 0);
  EXPECT_EQ(0x80u, FileAttributes::win32Attributes(plain));
  ShareEntry ro("f", ShareEntry::ReadOnly | ShareEntry::Hidden, 0, 0, 0, 0);
  EXPECT_EQ(0x3u, FileAttributes::win32Attributes(ro));
  ro.attributes.push_back(FileAttributes::makeWin32(0x2020));
  EXPECT_EQ(0x2020u, FileAttributes::win32Attributes(ro));
}

TEST(ShareEntry, FilterDropsBlocksOnReading) {
  ShareEntry e("f", 0, 0, 0, 0, 0);
  const uint8_t five[5] = {1, 2, 3, 4, 5};
  e.attributes.push_back(new FileAttributes("WIN32", five, 5));
  e.attributes.push_back(new FileAttributes("OTHER", five, 2));
  e.attributes.push_back(FileAttributes::makeWin32(0x1));

  EXPECT_EQ(3u, roundTrip(e)->attributes.size());
  Win32Only filter;
  ShareEntry::setAttributeFilter(&filter);
  std::unique_ptr<ShareEntry> back = roundTrip(e);
  ShareEntry::setAttributeFilter(nullptr);
  ASSERT_EQ(1u, back->attributes.size());
  EXPECT_EQ(0x1u, FileAttributes::win32Attributes(*back));
}

TEST(ShareEntry, AttributeBlockLimits) {
  std::string longTag(300, 't');
  FileAttributes tagged(longTag.c_str(), "x", 1);
  EXPECT_EQ(255 + 1 + 5, tagged.size());
  rdr::MemOutStream out;
  tagged.write(out);
  rdr::MemInStream in(out.data(), out.length());
  FileAttributes back;
  back.read(in);
  EXPECT_EQ(std::string(255, 't'), back.getTag());

  // A peer's length is checked before anything is allocated for it.
  const uint8_t huge[] = {1, 'A', 0x7F, 0xFF, 0xFF, 0xFF};
  rdr::MemInStream hugeIn(huge, sizeof(huge));
  FileAttributes refused;
  EXPECT_THROW(refused.read(hugeIn), plat::Exception);
  const uint8_t justOver[] = {0, 0, 1, 0, 1};
  rdr::MemInStream overIn(justOver, sizeof(justOver));
  EXPECT_THROW(refused.read(overIn), plat::Exception);
}
