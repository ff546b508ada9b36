#include "ledrow/app/win/StartWithWindows.h"
#include "os/win/ModuleFileName.h"
#include "os/win/RegKey.h"

#include <string>

namespace addrbook {

const char* const RunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const RunValueName = "Torvane_ledrow";

bool startsWithWindows() {
  try {
    os::RegKey run;
    run.openKey(HKEY_CURRENT_USER, RunKeyPath, true);
    return run.isValue(RunValueName);
  } catch (const plat::Exception&) {
    return false;
  }
}

void setStartWithWindows(bool start) {
  os::RegKey hive(HKEY_CURRENT_USER);
  os::RegKey run;
  run.createKey(hive, RunKeyPath);
  if (!start) {
    try {
      run.deleteValue(RunValueName);
    } catch (const plat::SystemException& e) {
      if (e.err != ERROR_FILE_NOT_FOUND)
        throw;
    }
    return;
  }
  plat::String path = plat::String::adopt(os::getModuleFileName(nullptr));
  if (!path.c_str())
    throw plat::SystemException("GetModuleFileName", (int)GetLastError());
  run.setString(RunValueName, ("\"" + std::string(path.c_str()) + "\"").c_str());
}

} // namespace addrbook
