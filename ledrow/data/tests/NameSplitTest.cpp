#include "ledrow/data/NameSplit.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using addrbook::NameSplit;

namespace {

typedef std::vector<std::pair<const char*, const char*>> Pairs;

bool oneWay(const Pairs& pairs) {
  NameSplit split;
  for (const auto& pair : pairs)
    split.add(pair.first, pair.second);
  return split.oneWay();
}

} // namespace

TEST(NameSplit, OneWayOnly) {
  EXPECT_TRUE(oneWay({}));
  EXPECT_TRUE(oneWay({{"A", "AAA"}}));
  EXPECT_TRUE(oneWay({{"A", "x"}, {"B", "y"}, {"C", ""}}));
  // A name further on may stand in a value: it cannot move before the names
  // between.
  EXPECT_TRUE(oneWay({{"A", "B"}, {"C", ""}, {"B", ""}}));
  // The value before a name holds it, or its own value does (the last one's
  // too), or it overlaps itself.
  EXPECT_FALSE(oneWay({{"A", "xB"}, {"B", ""}}));
  EXPECT_FALSE(oneWay({{"A", "x"}, {"B", "yBz"}}));
  EXPECT_FALSE(oneWay({{"A", "x"}, {"B", "yBz"}, {"C", "w"}}));
  EXPECT_FALSE(oneWay({{"A", ""}, {"aa", "a"}}));
  // An empty name stands anywhere between its neighbours.
  EXPECT_FALSE(oneWay({{"A", "x"}, {"", "y"}}));
  EXPECT_TRUE(oneWay({{"A", ""}, {"", ""}}));

  NameSplit split;
  split.add("A", "xB");
  split.add("B", "");
  split.clear();
  split.add("A", "x");
  split.add("B", "y");
  EXPECT_TRUE(split.oneWay());
}

// What a refusal names: the name that could move, and the value it stands
// in (the one before it, or its own).
TEST(NameSplit, TheClashNamesTheValueHoldingTheName) {
  const struct {
    Pairs pairs;
    const char* holder; // null: no clash
    const char* name;
  } cases[] = {
      {{{"A", "xB"}, {"B", ""}}, "A", "B"},
      {{{"A", "x"}, {"B", "yBz"}, {"C", "Cw"}}, "B", "B"},
      {{{"A", "x"}, {"B", "y"}}, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    NameSplit split;
    for (const auto& pair : c.pairs)
      split.add(pair.first, pair.second);
    NameSplit::Clash clash;
    ASSERT_EQ(c.holder != nullptr, split.firstClash(&clash));
    if (c.holder) {
      EXPECT_EQ(c.holder, clash.holder);
      EXPECT_EQ(c.name, clash.name);
    }
  }
}
