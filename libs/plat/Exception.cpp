#include "plat/Exception.h"
#include "plat/String.h"

#include <cstdarg>
#include <cstdio>
#include <exception>

namespace plat {

Exception::Exception(const char* text) {
  message[0] = 0;
  append(text);
}

void Exception::append(const char* text) {
  strAppend(message, sizeof(message), text, -1);
}

void Exception::appendf(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  vformatAppend(message, sizeof(message), fmt, args);
  va_end(args);
}

const char* caughtText() {
  try {
    throw;
  } catch (const Exception& e) {
    return e.str();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
}

ExceptionFmt::ExceptionFmt(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  vformatAppend(message, sizeof(message), fmt, args);
  va_end(args);
}

namespace {

const char* socketErrorText(int code) {
  switch (code) {
  case 10053: return "Connection aborted";
  case 10054: return "Connection reset by peer";
  case 10060: return "Connection timed out";
  case 10061: return "Connection refused";
  default: return nullptr;
  }
}

} // namespace

SystemException::SystemException(const char* text, int code) : err(code) {
  append(text);
  finish(code);
}

void SystemException::finish(int code) {
  err = code;
  if (message[0])
    append(": ");
  if (const char* fixed = socketErrorText(code))
    append(fixed);
  else
    appendSystemErrorText(message, sizeof(message), code);
  if (code < 0)
    appendf(" (%x)", (unsigned)code);
  else
    appendf(" (%d)", code);
}

SystemExceptionFmt::SystemExceptionFmt(const char* fmt, int code, ...) {
  va_list args;
  va_start(args, code);
  vformatAppend(message, sizeof(message), fmt, args);
  va_end(args);
  finish(code);
}

AssertionFail::AssertionFail(const char* expression_, const char* file_, int line_)
    : expression(expression_), file(file_), line(line_) {
  appendf("Assertion '%s' failed at %s:%d", expression, file, line);
}

} // namespace plat
