#include "plat/win/AppInit.h"
#include "plat/Assert.h"
#include "plat/Configuration.h"
#include "plat/ConfigParameter.h"
#include "plat/win/LoggerFile.h"

#include <cstdio>

namespace plat {

static AppInfo* appInfoInstance;

AppInfo& appInit(const char* programName, const char* defaultLog) {
  if (appInfoInstance)
    return *appInfoInstance;
  AppInfo* info = new AppInfo;
  info->programName = programName;
  info->defaultLogFile.appendf("${SystemDrive}\\temp\\%s.log", programName);
  Logger_file::setBanner(programName);

  (new Logger_file("stderr", stderr))->registerLogger();
  (new Logger_file("stdout", stdout))->registerLogger();
  StringParameter* logFile = new StringParameter("LogFile", "Filename for 'file' log output",
                                                 info->defaultLogFile.c_str(), 0);
  (new Logger_file("file", logFile))->registerLogger();
  (new Logger_Debug)->registerLogger();

  appInfoInstance = info;
  Configuration::global()->set("Log", defaultLog ? defaultLog : "*:stderr:0", PriorityDefault);
  return *info;
}

AppInfo& appInfo() {
  if (!appInfoInstance)
    assertionFailed("singleton", "AppInit", __LINE__);
  return *appInfoInstance;
}

} // namespace plat
