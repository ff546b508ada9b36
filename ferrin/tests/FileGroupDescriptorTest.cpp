#include "ferrin/FileGroupDescriptor.h"
#include "plat/Exception.h"

#include <gtest/gtest.h>

#include <vector>

using ft::FileDescriptorRecord;
using ft::FileGroupDescriptor;

namespace {

FileDescriptorRecord sample(const std::u16string& wide, const std::string& narrow) {
  FileDescriptorRecord r;
  r.flags = 0x407C;
  r.attributes = 0x21;
  r.ctime = 0x0102030405060708ull;
  r.atime = 2;
  r.mtime = 3;
  r.size = 0x123456789ull;
  r.wideName = wide;
  r.narrowName = narrow;
  return r;
}

} // namespace

TEST(FileGroupDescriptor, RecordsSurviveTheBlockInBothForms) {
  std::u16string longName(300, u'x');
  for (bool wide : {true, false}) {
    std::vector<uint8_t> block(FileGroupDescriptor::blockSize(2));
    EXPECT_EQ(3u * 592u, block.size());
    FileGroupDescriptor::writeCount(block.data(), 2);
    FileGroupDescriptor::writeRecord(block.data(), 0, sample(u"dir\\f\u00e9", "dir\\f\xe9"), wide);
    FileGroupDescriptor::writeRecord(block.data(), 1,
                                     sample(longName, std::string(300, 'x')), wide);
    size_t used = 4 + 2 * (wide ? 592 : 332);
    FileGroupDescriptor read(block.data(), used, wide);
    ASSERT_EQ(2u, read.count());
    FileDescriptorRecord r = read.record(0);
    EXPECT_EQ(0x407Cu, r.flags);
    EXPECT_EQ(0x21u, r.attributes);
    EXPECT_EQ(0x0102030405060708ull, r.ctime);
    EXPECT_EQ(3u, r.mtime);
    EXPECT_EQ(0x123456789ull, r.size);
    if (wide)
      EXPECT_EQ(u"dir\\f\u00e9", r.wideName);
    else
      EXPECT_EQ("dir\\f\xe9", r.narrowName);
    // At most 259 characters: the 260th is always the terminator.
    r = read.record(1);
    EXPECT_EQ(259u, wide ? r.wideName.size() : r.narrowName.size());
    EXPECT_THROW(read.record(2), plat::Exception);
  }
}

TEST(FileGroupDescriptor, BlocksFromOtherProgramsAreReadOnlyWithinTheirSize) {
  std::vector<uint8_t> block(FileGroupDescriptor::blockSize(3));
  FileGroupDescriptor::writeCount(block.data(), 0xFFFFFFFFu);
  FileGroupDescriptor huge(block.data(), block.size(), true);
  EXPECT_TRUE(huge.truncated());
  EXPECT_EQ(3u, huge.count()); // (4 x 592 - 4) / 592
  FileGroupDescriptor narrow(block.data(), block.size(), false);
  EXPECT_EQ(7u, narrow.count());
  EXPECT_EQ(0u, FileGroupDescriptor(block.data(), 3, true).count());
  EXPECT_EQ(0u, FileGroupDescriptor(block.data(), 595, true).count());
  // A count whose block could not be allocated is refused, not wrapped.
  EXPECT_THROW(FileGroupDescriptor::blockSize(0xFFFFFFFFull), plat::Exception);
  EXPECT_THROW(FileGroupDescriptor::blockSize(1ull << 62), plat::Exception);
}
