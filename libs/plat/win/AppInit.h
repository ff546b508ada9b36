// Program set-up run first by every program: its identity and its logging
// (the loggers, the log file name and the default of the Log setting).
#pragma once

#include "plat/AboutText.h"
#include "plat/DString.h"
#include "plat/String.h"

namespace plat {

struct AppInfo {
  AppInfo(const char* programName, const char* productName, const char* version);

  String programName;
  // "${SystemDrive}\temp\<program>.log"
  DString defaultLogFile;
  AboutText about;
};

// Runs once on the main thread before any thread is made. The product name
// and version come from the program's version block (throws when it has
// none). defaultLog null means "*:stderr:0".
AppInfo& appInit(const char* programName, const char* defaultLog);
// Stops the process when appInit has not run.
AppInfo& appInfo();

} // namespace plat
