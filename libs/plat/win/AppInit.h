// Program set-up run first by every program: its identity and its logging
// (the loggers, the log file name and the default of the Log setting).
#pragma once

#include "plat/DString.h"
#include "plat/String.h"

namespace plat {

struct AppInfo {
  String programName;
  // "${SystemDrive}\temp\<program>.log"
  DString defaultLogFile;
};

// Runs once on the main thread before any thread is made. defaultLog null
// means "*:stderr:0".
AppInfo& appInit(const char* programName, const char* defaultLog);
// Stops the process when appInit has not run.
AppInfo& appInfo();

} // namespace plat
