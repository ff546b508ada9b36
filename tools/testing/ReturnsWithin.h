// For a call that a fault would leave waiting for ever: it runs on a thread
// of its own, so that the test fails after a while instead of hanging.
#pragma once

#include <functional>

namespace testing_support {

// True when call returned within ms milliseconds; what it threw is thrown
// here. Otherwise its thread is left waiting: whatever the call uses must
// then stay for the rest of the run (the test leaks it).
bool returnsWithin(int ms, std::function<void()> call);

} // namespace testing_support
