#include "plat/LogWriter.h"
#include "plat/String.h"

#include <cstdio>
#include <cstring>
#include <cstdlib>

namespace plat {

// Plain pointers: zero before any constructor runs, so static writers and
// loggers may register in any order.
static LogWriter* writerList;
static Logger* loggerList;

void Logger::registerLogger() {
  if (registered_)
    return;
  registered_ = true;
  next_ = loggerList;
  loggerList = this;
}

Logger::~Logger() {
  for (Logger** l = &loggerList; *l; l = &(*l)->next_) {
    if (*l == this) {
      *l = next_;
      break;
    }
  }
}

Logger* Logger::find(const char* name) {
  for (Logger* l = loggerList; l; l = l->next_)
    if (strCaseCmp(l->name_, name) == 0)
      return l;
  return nullptr;
}

Logger* Logger::first() { return loggerList; }

LogWriter::LogWriter(const char* name) : name_(name), level_(0), logger_(nullptr) {
  next_ = writerList;
  writerList = this;
}

LogWriter* LogWriter::first() { return writerList; }

LogWriter* LogWriter::find(const char* name) {
  for (LogWriter* w = writerList; w; w = w->next_)
    if (strCaseCmp(w->name_, name) == 0)
      return w;
  return nullptr;
}

void LogWriter::vwrite(int level, const char* fmt, va_list args) {
  Logger* target = logger_;
  if (!target || level_ < level)
    return;
  char text[4096];
  text[0] = 0;
  vformatAppend(text, sizeof(text), fmt, args);
  target->write(level, name_, text);
}

#define PLAT_LOG_FORWARD(level)                                                                    \
  va_list args;                                                                                    \
  va_start(args, fmt);                                                                             \
  vwrite(level, fmt, args);                                                                        \
  va_end(args)

void LogWriter::write(int level, const char* fmt, ...) { PLAT_LOG_FORWARD(level); }
void LogWriter::error(const char* fmt, ...) { PLAT_LOG_FORWARD(LevelError); }
void LogWriter::warning(const char* fmt, ...) { PLAT_LOG_FORWARD(LevelWarning); }
void LogWriter::info(const char* fmt, ...) { PLAT_LOG_FORWARD(LevelInfo); }
void LogWriter::debug(const char* fmt, ...) { PLAT_LOG_FORWARD(LevelDebug); }

bool LogWriter::applyLogElement(const char* element) {
  StringPair first;
  StringPair rest;
  if (!splitAt(element, ':', &first) || !splitAt(first.tail.c_str(), ':', &rest)) {
    fprintf(stderr, "failed to parse log param element:%s\n", element);
    return false;
  }
  const char* writerName = first.head.c_str();
  const char* loggerName = rest.head.c_str();
  int level = atoi(rest.tail.c_str());

  Logger* logger = nullptr;
  if (loggerName[0]) {
    logger = Logger::find(loggerName);
    if (!logger)
      fprintf(stderr, "No logger found: '%s'\n", loggerName);
  }

  if (strcmp(writerName, "*") == 0) {
    for (LogWriter* w = writerList; w; w = w->next_)
      w->setLog(logger, level);
    return true;
  }
  LogWriter* writer = find(writerName);
  if (!writer) {
    fprintf(stderr, "No logwriter found: '%s'\n", writerName);
    return false;
  }
  writer->setLog(logger, level);
  return true;
}

bool LogWriter::applyLogParams(const char* value) {
  applyLogElement("*::0");
  TokenCursor cursor(value ? value : "");
  while (char* element = cursor.next(',')) {
    if (!element[0])
      continue;
    if (!applyLogElement(element))
      return false;
  }
  return true;
}

} // namespace plat
