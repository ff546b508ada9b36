// The exception types thrown by every part of both programs. They are plain
// structures thrown and caught by value; the message is a fixed buffer so
// that building one never allocates.
#pragma once

#include <cstddef>

#if defined(__GNUC__)
#define PLAT_PRINTF(fmtIndex, firstArg) __attribute__((format(printf, fmtIndex, firstArg)))
#else
#define PLAT_PRINTF(fmtIndex, firstArg)
#endif

namespace plat {

struct Exception {
  enum { MessageSize = 256 };

  Exception() { message[0] = 0; }
  explicit Exception(const char* text);

  const char* str() const { return message; }

  // Bounded append to the message; used by subclasses and by callers that
  // add a detail to an assertion.
  void append(const char* text);
  void appendf(const char* fmt, ...) PLAT_PRINTF(2, 3);

  char message[MessageSize];
};

struct ExceptionFmt : Exception {
  explicit ExceptionFmt(const char* fmt, ...) PLAT_PRINTF(2, 3);
};

// A failing system call: "<text>: <system text> (<code>)".
struct SystemException : Exception {
  SystemException(const char* text, int code);
  int err;

protected:
  SystemException() : err(0) {}
  void finish(int code);
};

struct SystemExceptionFmt : SystemException {
  SystemExceptionFmt(const char* fmt, int code, ...) PLAT_PRINTF(2, 4);
};

struct AssertionFail : Exception {
  AssertionFail(const char* expression, const char* file, int line);
  const char* expression;
  const char* file;
  int line;
};

struct TimedOut : Exception {
  TimedOut() : Exception("Timed out") {}
};

// Within a catch block: the text of the exception being handled, whatever
// its type (an Exception's message, a standard exception's what(), else
// "unknown exception"). Valid until the handler ends. For the entry points
// that face the system, which must let no exception through.
const char* caughtText();

// Appends the system's text for an error code to buf (the seam between the
// portable exception code and the platform's message table).
void appendSystemErrorText(char* buf, size_t size, int code);

} // namespace plat
