// Broken invariants. PLAT_ASSERT stops the process: it reports expression,
// source and line on standard error and through the "Assertion" log writer,
// then terminates without any dialog, so that an unattended program never
// hangs on a message box.
#pragma once

#include "plat/Exception.h"

namespace plat {

[[noreturn]] void assertionFailed(const AssertionFail& failure);
[[noreturn]] void assertionFailed(const char* expression, const char* file, int line);
[[noreturn]] void assertionFailedf(const char* expression, const char* file, int line,
                                   const char* fmt, ...) PLAT_PRINTF(4, 5);

// Ends the process at once with exit code 3 (the seam: no crash dialog).
[[noreturn]] void abortProcess();

} // namespace plat

#define PLAT_ASSERT(expr)                                                                          \
  ((expr) ? (void)0 : ::plat::assertionFailed(#expr, __FILE__, __LINE__))
