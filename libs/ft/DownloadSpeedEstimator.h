// A download's speed and remaining time, from the byte counts it reached at
// known times. Readings older than a minute are forgotten, so the speed
// follows the connection instead of the whole download's average.
#pragma once

#include "plat/CurrentTime.h"

#include <cstdint>
#include <map>

namespace ft {

class DownloadSpeedEstimator {
public:
  enum : uint64_t { Unknown = ~(uint64_t)0 };

  // The clock gives the time in 100 ns units; tests pass their own.
  explicit DownloadSpeedEstimator(plat::ClockFunction clock = plat::currentTime)
      : clock(clock) {}

  // The download has reached this many bytes now.
  void addReading(uint64_t bytes);
  // Bytes per second over the readings of the last minute; 0 with fewer
  // than two.
  uint64_t speed();
  // formatRate of speed(); a new buffer.
  char* speedText();
  // Whole seconds until total bytes are reached, rounded up; Unknown while
  // there is no speed.
  uint64_t remainingSeconds(uint64_t total);
  // "1 second", "%i seconds", "%i minutes" or "%i hours"; null while the
  // time is unknown. A new buffer.
  char* remainingText(uint64_t total);

private:
  void dropOld(int64_t now);

  std::map<int64_t, uint64_t> readings;
  plat::ClockFunction clock;
};

} // namespace ft
