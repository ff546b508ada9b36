// Named log sources and log targets. Every source area owns one static
// LogWriter; the Log parameter attaches each writer to a Logger (a target:
// the log file, standard error, standard output, the debugger) with a level.
// A fresh writer has no logger, so nothing is logged until Log is applied.
#pragma once

#include "plat/Exception.h"

#include <cstdarg>

namespace plat {

class Logger {
public:
  explicit Logger(const char* name) : name_(name), registered_(false), next_(nullptr) {}
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;
  // A logger that goes away leaves the list; writers attached to it must
  // have been detached first.
  virtual ~Logger();
  virtual void write(int level, const char* writerName, const char* text) = 0;

  const char* name() const { return name_; }
  // Pushes the logger onto the front of the global list, once.
  void registerLogger();
  // Case-insensitive lookup among registered loggers.
  static Logger* find(const char* name);
  // The registered loggers, from the last registered to the first.
  static Logger* first();
  Logger* next() const { return next_; }

private:
  const char* name_;
  bool registered_;
  Logger* next_;
};

class LogWriter {
public:
  enum Level { LevelError = 0, LevelWarning = 10, LevelInfo = 30, LevelDebug = 100 };

  explicit LogWriter(const char* name);
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  void write(int level, const char* fmt, ...) PLAT_PRINTF(3, 4);
  void error(const char* fmt, ...) PLAT_PRINTF(2, 3);
  void warning(const char* fmt, ...) PLAT_PRINTF(2, 3);
  void info(const char* fmt, ...) PLAT_PRINTF(2, 3);
  void debug(const char* fmt, ...) PLAT_PRINTF(2, 3);
  void vwrite(int level, const char* fmt, va_list args);

  bool isEnabled(int level) const { return logger_ && level_ >= level; }
  const char* name() const { return name_; }
  int level() const { return level_; }
  Logger* logger() const { return logger_; }
  void setLog(Logger* logger, int level) {
    logger_ = logger;
    level_ = level;
  }

  // The list runs from the last constructed writer to the first.
  static LogWriter* first();
  LogWriter* next() const { return next_; }
  static LogWriter* find(const char* name);

  // Resets every writer ("*::0"), then applies the comma-separated
  // "<log>:<target>:<level>" elements in order, stopping at the first that
  // fails. Problems are reported on standard error; never throws.
  static bool applyLogParams(const char* value);
  static bool applyLogElement(const char* element);

private:
  const char* name_;
  int level_;
  Logger* logger_;
  LogWriter* next_;
};

} // namespace plat
