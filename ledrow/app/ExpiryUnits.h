// How the options dialog shows how long the master password is kept: a
// count of the largest unit that divides the seconds, and the spin box's
// steps that carry into the next unit or borrow from it.
#pragma once

#include <cstdint>

namespace addrbook {

enum ExpiryUnit { Seconds, Minutes, Hours, Days, ExpiryUnitCount };
// The spin box's range.
enum { MaxExpiryCount = 32767 };

struct ExpiryCount {
  int count;
  ExpiryUnit unit;
};

// Seconds in one of unit.
int64_t unitSeconds(ExpiryUnit unit);
// seconds as count and unit: days when 86400 divides it, else hours, else
// minutes, else seconds.
ExpiryCount decomposeExpiry(int seconds);
// count of unit in seconds, in 64 bits and kept to the int range
// (32767 days are 2147483647 seconds).
int expirySeconds(ExpiryCount expiry);

// One step (delta +1 or -1) of the count: false when the step is refused,
// in which case *expiry may still change (the unit carries). Below 1 the
// next smaller unit is taken at 23 hours or 59 of the rest; at 60 seconds
// or minutes, or 24 hours, the next larger unit at 1; days do not carry.
bool stepExpiry(ExpiryCount* expiry, int delta);

} // namespace addrbook
