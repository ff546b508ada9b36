#include "plat/win/AppInit.h"
#include "plat/Assert.h"
#include "plat/Configuration.h"
#include "plat/ConfigParameter.h"
#include "plat/win/LoggerFile.h"
#include "os/win/FileVersionInfo.h"

#include <cstdio>

namespace plat {

static AppInfo* appInfoInstance;

// The language and code page of the version block's strings (UK English,
// Unicode).
static const DWORD versionLanguage = 0x080904B0;

AppInfo::AppInfo(const char* programName_, const char* productName, const char* version)
    : programName(programName_), about(productName, version) {
  defaultLogFile.appendf("${SystemDrive}\\temp\\%s.log", programName_);
}

AppInfo& appInit(const char* programName, const char* defaultLog) {
  if (appInfoInstance)
    return *appInfoInstance;
  os::FileVersionInfo version;
  String productName(version.getString("ProgramName", versionLanguage));
  String fileVersion(version.getString("FileVersion", versionLanguage));
  AppInfo* info = new AppInfo(programName, productName.c_str(), fileVersion.c_str());
  Logger_file::setBanner(info->about.bannerText.c_str());

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
