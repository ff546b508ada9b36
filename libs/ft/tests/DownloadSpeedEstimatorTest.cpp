#include "ft/DownloadSpeedEstimator.h"
#include "ft/FormatRate.h"
#include "plat/String.h"

#include <gtest/gtest.h>

#include <string>

using ft::DownloadSpeedEstimator;

namespace {

const int64_t Second = 10000000;
int64_t now;
int64_t testClock() { return now; }

std::string text(char* buffer) {
  plat::String owned = plat::String::adopt(buffer);
  return owned.isNull() ? std::string("(null)") : std::string(owned.c_str());
}

std::string rate(uint64_t bytesPerSecond) { return text(ft::formatRate(bytesPerSecond)); }

class EstimatorTest : public testing::Test {
protected:
  void SetUp() override { now = 1000 * Second; }
  void at(int64_t seconds, uint64_t bytes) {
    now = 1000 * Second + seconds * Second;
    estimator.addReading(bytes);
  }
  DownloadSpeedEstimator estimator{testClock};
};

} // namespace

TEST(FormatRate, TruncatesIntoTheLargestUnitReached) {
  EXPECT_EQ("0 byte/s", rate(0));
  EXPECT_EQ("1023 byte/s", rate(1023));
  EXPECT_EQ("1 KB/s", rate(1024));
  EXPECT_EQ("1023 KB/s", rate(1048575));
  EXPECT_EQ("1 MB/s", rate(1048576));
  EXPECT_EQ("3 GB/s", rate(3ULL << 30 | 12345));
  EXPECT_EQ("5 TB/s", rate(5ULL << 40));
  EXPECT_EQ("16777215 TB/s", rate(~0ULL));
}

TEST_F(EstimatorTest, SpeedNeedsTwoReadingsWithinAMinute) {
  EXPECT_EQ(0u, estimator.speed());
  at(0, 0);
  EXPECT_EQ(0u, estimator.speed());
  EXPECT_EQ(DownloadSpeedEstimator::Unknown, estimator.remainingSeconds(100));
  EXPECT_EQ("(null)", text(estimator.remainingText(100)));
  at(1, 1000000);
  EXPECT_EQ(1000000u, estimator.speed());
  EXPECT_EQ("976 KB/s", text(estimator.speedText()));
}

TEST_F(EstimatorTest, ReadingsOlderThanAMinuteNoLongerCount) {
  at(0, 0);
  at(30, 3000);
  at(60, 9000);
  EXPECT_EQ(150u, estimator.speed()); // (9000 - 0) / 60
  now += 1;                           // the first reading is now 60 s and a bit old
  EXPECT_EQ(200u, estimator.speed()); // (9000 - 3000) / 30
  now += 31 * Second;
  EXPECT_EQ(0u, estimator.speed()); // one reading left
}

TEST_F(EstimatorTest, RemainingTimeRoundsUpAndPicksItsUnit) {
  at(0, 0);
  at(1, 100);
  EXPECT_EQ(0u, estimator.remainingSeconds(100));
  EXPECT_EQ("0 seconds", text(estimator.remainingText(100)));
  EXPECT_EQ("1 second", text(estimator.remainingText(101)));
  EXPECT_EQ("1 second", text(estimator.remainingText(200)));
  EXPECT_EQ("2 seconds", text(estimator.remainingText(201)));
  EXPECT_EQ("60 seconds", text(estimator.remainingText(100 + 6000)));
  EXPECT_EQ("2 minutes", text(estimator.remainingText(100 + 6100)));
  EXPECT_EQ("60 minutes", text(estimator.remainingText(100 + 360000)));
  EXPECT_EQ("2 hours", text(estimator.remainingText(100 + 360100)));
}

TEST_F(EstimatorTest, CountsThatDoNotGrowGiveNoEstimate) {
  at(0, 500);
  at(1, 500);
  EXPECT_EQ("(null)", text(estimator.remainingText(1000)));
  at(2, 100); // a count that went back must not wrap into a huge speed
  EXPECT_EQ(0u, estimator.speed());
  // Past the total: nothing left, not a wrapped-around remainder.
  at(3, 2000);
  EXPECT_EQ(0u, estimator.remainingSeconds(1000));
}

TEST_F(EstimatorTest, HugeRemainderStaysPositive) {
  at(0, 0);
  at(1, 1);
  EXPECT_EQ("2147483647 hours", text(estimator.remainingText(~0ULL)));
}
