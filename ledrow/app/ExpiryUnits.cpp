#include "ledrow/app/ExpiryUnits.h"

#include <climits>

namespace addrbook {

int64_t unitSeconds(ExpiryUnit unit) {
  static const int64_t seconds[ExpiryUnitCount] = {1, 60, 3600, 86400};
  return seconds[unit];
}

ExpiryCount decomposeExpiry(int seconds) {
  for (int unit = Days; unit > Seconds; unit--)
    if (seconds % unitSeconds((ExpiryUnit)unit) == 0)
      return ExpiryCount{(int)(seconds / unitSeconds((ExpiryUnit)unit)), (ExpiryUnit)unit};
  return ExpiryCount{seconds, Seconds};
}

int expirySeconds(ExpiryCount expiry) {
  int64_t seconds = (int64_t)expiry.count * unitSeconds(expiry.unit);
  return seconds > INT_MAX ? INT_MAX : (int)seconds;
}

bool stepExpiry(ExpiryCount* expiry, int delta) {
  int next = expiry->count + delta;
  if (next < 1) {
    if (expiry->unit > Seconds) {
      expiry->unit = (ExpiryUnit)(expiry->unit - 1);
      expiry->count = expiry->unit == Hours ? 23 : 59;
    }
    return false;
  }
  int carryAt = expiry->unit == Hours ? 24 : expiry->unit == Days ? MaxExpiryCount + 1 : 60;
  if (delta > 0 && next >= carryAt) {
    if (expiry->unit < Days) {
      expiry->unit = (ExpiryUnit)(expiry->unit + 1);
      expiry->count = 1;
    }
    return false;
  }
  expiry->count = next;
  return true;
}

} // namespace addrbook
