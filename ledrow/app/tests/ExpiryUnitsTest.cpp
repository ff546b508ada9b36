#include "ledrow/app/ExpiryUnits.h"

#include <gtest/gtest.h>

#include <climits>

using namespace addrbook;

namespace {

std::pair<int, int> shown(int seconds) {
  ExpiryCount c = decomposeExpiry(seconds);
  return {c.count, c.unit};
}

// The step's outcome as "refused|taken count unit".
std::string step(int count, ExpiryUnit unit, int delta) {
  ExpiryCount c{count, unit};
  bool taken = stepExpiry(&c, delta);
  return std::string(taken ? "taken " : "refused ") + std::to_string(c.count) + " " +
         std::to_string(c.unit);
}

} // namespace

TEST(ExpiryUnits, TheLargestUnitThatDividesAndSecondsIn64Bits) {
  EXPECT_EQ(std::make_pair(2, (int)Hours), shown(7200));
  EXPECT_EQ(std::make_pair(90, (int)Seconds), shown(90));
  EXPECT_EQ(std::make_pair(1, (int)Days), shown(86400));
  EXPECT_EQ(std::make_pair(3, (int)Minutes), shown(180));
  EXPECT_EQ(7200, expirySeconds({2, Hours}));
  EXPECT_EQ(INT_MAX, expirySeconds({MaxExpiryCount, Days}));
  EXPECT_EQ(INT_MAX, expirySeconds({24856, Days})); // just past the int range
}

TEST(ExpiryUnits, StepsCarryIntoTheNextUnit) {
  EXPECT_EQ("refused 1 2", step(59, Minutes, 1));
  EXPECT_EQ("refused 59 1", step(1, Hours, -1));
  EXPECT_EQ("refused 23 2", step(1, Days, -1));
  EXPECT_EQ("refused 1 3", step(23, Hours, 1));
  EXPECT_EQ("refused 1 0", step(1, Seconds, -1));
  EXPECT_EQ("taken 59 0", step(58, Seconds, 1));
  EXPECT_EQ("taken 41 3", step(40, Days, 1));
  EXPECT_EQ("refused 32767 3", step(MaxExpiryCount, Days, 1));
}
