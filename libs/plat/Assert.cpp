#include "plat/Assert.h"
#include "plat/LogWriter.h"
#include "plat/String.h"

#include <cstdarg>
#include <cstdio>

namespace plat {

static LogWriter vlog("Assertion");

void assertionFailed(const AssertionFail& failure) {
  fprintf(stderr, "%s\n", failure.str());
  fflush(stderr);
  vlog.error("%s", failure.str());
  abortProcess();
}

void assertionFailed(const char* expression, const char* file, int line) {
  assertionFailed(AssertionFail(expression, file, line));
}

void assertionFailedf(const char* expression, const char* file, int line, const char* fmt, ...) {
  AssertionFail failure(expression, file, line);
  failure.append(": ");
  va_list args;
  va_start(args, fmt);
  vformatAppend(failure.message, sizeof(failure.message), fmt, args);
  va_end(args);
  assertionFailed(failure);
}

} // namespace plat
