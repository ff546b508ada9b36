#include "os/ItemIdList.h"
#include "plat/Exception.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using os::ItemIdList;

namespace {

// A raw list built by hand: items of the given total sizes (count
// included), each filled with its own index, then the terminator unless
// left out.
std::vector<uint8_t> rawList(std::vector<int> sizes, bool terminated = true) {
  std::vector<uint8_t> raw;
  for (size_t i = 0; i < sizes.size(); i++) {
    uint16_t cb = (uint16_t)sizes[i];
    uint8_t count[2];
    memcpy(count, &cb, 2);
    raw.push_back(count[0]);
    raw.push_back(count[1]);
    raw.insert(raw.end(), sizes[i] - 2, (uint8_t)(i + 1));
  }
  if (terminated) {
    raw.push_back(0);
    raw.push_back(0);
  }
  return raw;
}

std::vector<uint8_t> bytesOf(const ItemIdList& list) {
  return std::vector<uint8_t>(list.data(), list.data() + list.size());
}

} // namespace

TEST(ItemIdList, SizeCountsItemsAndTerminator) {
  std::vector<uint8_t> raw = rawList({20, 30});
  ItemIdList list(raw.data());
  EXPECT_EQ(52, list.size());
  EXPECT_EQ(raw, bytesOf(list));
  EXPECT_FALSE(list.isEmpty());

  ItemIdList bounded(raw.data(), (int)raw.size());
  EXPECT_EQ(raw, bytesOf(bounded));
}

TEST(ItemIdList, NullAndEmptyListsAreTheDesktop) {
  ItemIdList none(nullptr, -1);
  EXPECT_EQ(0, none.size());
  EXPECT_TRUE(none.isEmpty());
  EXPECT_EQ(0, none.data()[0] | none.data()[1]); // still a valid list for the shell

  std::vector<uint8_t> raw = rawList({});
  ItemIdList empty(raw.data());
  EXPECT_EQ(2, empty.size());
  EXPECT_TRUE(empty.isEmpty());
}

TEST(ItemIdList, ItemRunningPastTheBlockIsAnOverrun) {
  std::vector<uint8_t> raw = rawList({20, 30});
  for (int cut : {3, 19, 22, 49}) {
    try {
      ItemIdList list(raw.data(), cut);
      ADD_FAILURE() << "no overrun at " << cut;
    } catch (const plat::Exception& e) {
      EXPECT_STREQ("ITEMIDLIST buffer overrun", e.str());
    }
  }
}

TEST(ItemIdList, BlockEndingWithoutTerminatorEndsTheList) {
  std::vector<uint8_t> raw = rawList({20, 30}, false);
  ItemIdList whole(raw.data(), (int)raw.size());
  EXPECT_EQ(52, whole.size());
  EXPECT_EQ(rawList({20, 30}), bytesOf(whole));

  // One stray byte where the next count would start is no count either.
  raw.push_back(7);
  EXPECT_EQ(52, ItemIdList(raw.data(), (int)raw.size()).size());
  EXPECT_EQ(2, ItemIdList(raw.data(), 1).size());
  EXPECT_EQ(2, ItemIdList(raw.data(), 0).size());
}

TEST(ItemIdList, CountTooSmallToHoldItselfIsMalformed) {
  std::vector<uint8_t> raw = {1, 0, 0, 0};
  EXPECT_THROW(ItemIdList(raw.data(), 4), plat::Exception);
  EXPECT_THROW(ItemIdList(raw.data()), plat::Exception);
}

TEST(ItemIdList, SplitLastLeavesParentAndTail) {
  std::vector<uint8_t> raw = rawList({20, 30, 6});
  ItemIdList list(raw.data());
  ItemIdList tail;
  list.splitLast(&tail);
  EXPECT_EQ(rawList({20, 30}), bytesOf(list));
  std::vector<uint8_t> last = rawList({6});
  last[2] = last[3] = last[4] = last[5] = 3; // the third item's filling
  EXPECT_EQ(last, bytesOf(tail));

  ItemIdList single(rawList({20}).data());
  single.splitLast(&tail);
  EXPECT_TRUE(single.isEmpty());
  EXPECT_EQ(2, single.size());
  EXPECT_EQ(22, tail.size());
}

TEST(ItemIdList, SplitLastOfEmptyListGivesEmptyTail) {
  ItemIdList empty;
  ItemIdList tail(rawList({20}).data());
  empty.splitLast(&tail);
  EXPECT_TRUE(tail.isEmpty());
  EXPECT_TRUE(empty.isEmpty());
}

TEST(ItemIdList, SplitIntoItselfIsRefused) {
  ItemIdList list(rawList({20}).data());
  try {
    list.splitLast(&list);
    ADD_FAILURE() << "split into itself";
  } catch (const plat::AssertionFail& e) {
    EXPECT_STREQ("tail != this", e.expression);
  }
  EXPECT_EQ(22, list.size());
}

TEST(ItemIdList, CopiesAreIndependent) {
  ItemIdList list(rawList({20, 30}).data());
  ItemIdList copy(list);
  ItemIdList tail;
  list.splitLast(&tail);
  EXPECT_EQ(52, copy.size());
  copy = list;
  EXPECT_EQ(22, copy.size());
  copy = ItemIdList();
  EXPECT_EQ(0, copy.size());
}
