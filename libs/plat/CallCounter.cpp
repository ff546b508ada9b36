#include "plat/CallCounter.h"

#include "plat/LogWriter.h"

#include <cinttypes>
#include <cstring>

namespace plat {

namespace {

CallCounter*& head() {
  static CallCounter* first = nullptr;
  return first;
}

LogWriter vlog("CallCounts");

} // namespace

CallCounter::CallCounter(const char* name) : name_(name), count_(0), next_(head()) {
  head() = this;
}

CallCounter* CallCounter::first() {
  return head();
}

CallCounter* CallCounter::find(const char* name) {
  for (CallCounter* c = head(); c; c = c->next_) {
    if (strcmp(c->name_, name) == 0)
      return c;
  }
  return nullptr;
}

void logCallCounts() {
  for (CallCounter* c = CallCounter::first(); c; c = c->next())
    vlog.debug("%s %" PRIu64, c->name(), c->value());
}

} // namespace plat
