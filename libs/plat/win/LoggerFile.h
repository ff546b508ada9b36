// The log-file target and the standard-stream targets. Each message is a
// 14-column name field and the text wrapped at 65 columns; a blank line and
// the local time precede the first message of each new second; the banner
// opens each output once.
#pragma once

#include "plat/ConfigParameter.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"
#include "plat/win/StdioFile.h"

#include <cstdint>

namespace plat {

class Logger_file : public Logger, public ParameterChangedCallback {
public:
  // A logger over a standard stream (never opens a file).
  Logger_file(const char* name, FILE* stream);
  // A logger over the file named by a parameter; the name is expanded for
  // environment variables and follows every change of the parameter.
  Logger_file(const char* name, StringParameter* fileParam);
  ~Logger_file() override;

  void write(int level, const char* writerName, const char* text) override;
  void parameterChanged(ConfigParameter* param, int priority) override;

  const char* fileName() const { return fileName_.c_str(); }

  // The one lock over all log output, made at start-up.
  static Mutex& outputLock();
  // The text written at the top of each log output (the about text).
  static void setBanner(const char* text);

private:
  bool openFile();

  int nameWidth_;
  String fileName_;
  StdioFile output_;
  int64_t lastTime_;
  int lineWidth_;
  DString line_;
  bool bannerWritten_;
};

// Debugger output through OutputDebugStringW.
class Logger_Debug : public Logger {
public:
  Logger_Debug() : Logger("debug") {}
  void write(int level, const char* writerName, const char* text) override;
};

} // namespace plat
