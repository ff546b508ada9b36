#include "ft/DownloadSpeedEstimator.h"

#include "ft/FormatRate.h"
#include "plat/Assert.h"
#include "plat/String.h"

#include <climits>
#include <cstdio>

namespace ft {

namespace {

const int64_t Window = 60 * 10000000LL; // one minute in 100 ns units

} // namespace

void DownloadSpeedEstimator::dropOld(int64_t now) {
  readings.erase(readings.begin(), readings.lower_bound(now - Window));
}

void DownloadSpeedEstimator::addReading(uint64_t bytes) {
  int64_t now = clock();
  dropOld(now);
  readings[now] = bytes;
}

uint64_t DownloadSpeedEstimator::speed() {
  dropOld(clock());
  if (readings.size() < 2)
    return 0;
  const auto& first = *readings.begin();
  const auto& last = *readings.rbegin();
  if (first.first == last.first)
    plat::assertionFailed("t1 != t2", __FILE__, __LINE__);
  // A count that went backwards (a restarted file) is no speed at all, not
  // a wrapped-around huge one.
  if (last.second <= first.second)
    return 0;
  return (last.second - first.second) * 10000000ULL / (uint64_t)(last.first - first.first);
}

char* DownloadSpeedEstimator::speedText() {
  return formatRate(speed());
}

uint64_t DownloadSpeedEstimator::remainingSeconds(uint64_t total) {
  uint64_t rate = speed();
  if (rate == 0)
    return Unknown;
  if (readings.empty())
    plat::assertionFailed("!readings.empty()", __FILE__, __LINE__);
  uint64_t done = readings.rbegin()->second;
  if (done >= total)
    return 0;
  uint64_t left = total - done;
  return left / rate + (left % rate != 0); // rounded up without overflowing

}

char* DownloadSpeedEstimator::remainingText(uint64_t total) {
  uint64_t seconds = remainingSeconds(total);
  if (seconds == Unknown)
    return nullptr;
  if (seconds == 1)
    return plat::strDup("1 second");
  char text[64];
  if (seconds <= 60)
    snprintf(text, sizeof(text), "%i %s", (int)seconds, "seconds");
  else if (seconds <= 3600)
    snprintf(text, sizeof(text), "%i %s", (int)((seconds + 59) / 60), "minutes");
  else {
    // Days of hours would still wrap the printed count negative.
    uint64_t hours = seconds / 3600 + (seconds % 3600 != 0);
    snprintf(text, sizeof(text), "%i %s", hours > INT_MAX ? INT_MAX : (int)hours, "hours");
  }
  return plat::strDup(text);
}

} // namespace ft
