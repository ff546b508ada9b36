#include "os/ShellIdListArray.h"
#include "plat/Exception.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using os::ShellIdListArray;

namespace {

void putU32(std::vector<uint8_t>& block, size_t at, uint32_t value) {
  memcpy(&block[at], &value, 4);
}

// A block with a parent list of one 6-byte item and two item lists of one
// 4-byte item each, the way the shell lays it out.
std::vector<uint8_t> goodBlock() {
  std::vector<uint8_t> block(16);
  putU32(block, 0, 2);
  const uint8_t lists[] = {6, 0, 'p', 'p', 'p', 'p', 0, 0, 4, 0, 'a', 'a', 0, 0, 4, 0, 'b', 'b', 0, 0};
  putU32(block, 4, 16);
  putU32(block, 8, 24);
  putU32(block, 12, 30);
  block.insert(block.end(), lists, lists + sizeof(lists));
  return block;
}

} // namespace

TEST(ShellIdListArray, ParentAndItemsComeOutWhole) {
  std::vector<uint8_t> block = goodBlock();
  ShellIdListArray cida(block.data(), block.size());
  ASSERT_EQ(2u, cida.count());
  EXPECT_EQ(8, cida.parent().size());
  EXPECT_EQ('p', cida.parent().data()[2]);
  EXPECT_EQ('a', cida.item(0).data()[2]);
  EXPECT_EQ('b', cida.item(1).data()[2]);
}

TEST(ShellIdListArray, CountsAndOffsetsFromOtherProgramsStayInsideTheBlock) {
  std::vector<uint8_t> block = goodBlock();
  EXPECT_THROW(ShellIdListArray(block.data(), 3), plat::Exception);
  // The offsets of a huge count would not fit; computed in 64 bits, the
  // count cannot wrap round to something small.
  putU32(block, 0, 0xFFFFFFFFu);
  EXPECT_THROW(ShellIdListArray(block.data(), block.size()), plat::Exception);
  putU32(block, 0, 0x40000000u);
  EXPECT_THROW(ShellIdListArray(block.data(), block.size()), plat::Exception);

  block = goodBlock();
  putU32(block, 8, (uint32_t)block.size());
  ShellIdListArray pastTheEnd(block.data(), block.size());
  EXPECT_THROW(pastTheEnd.item(0), plat::Exception);
  EXPECT_NO_THROW(pastTheEnd.item(1));

  // The last list is cut by the block's end inside its item.
  block = goodBlock();
  block.resize(block.size() - 3);
  ShellIdListArray cut(block.data(), block.size());
  EXPECT_THROW(cut.item(1), plat::Exception);
}
