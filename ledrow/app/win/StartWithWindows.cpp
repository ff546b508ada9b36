#include "ledrow/app/win/StartWithWindows.h"
#include "os/win/RegKey.h"
#include "plat/win/Unicode.h"

#include <string>
#include <vector>

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
  std::vector<wchar_t> path(32768);
  DWORD length = GetModuleFileNameW(nullptr, path.data(), (DWORD)path.size());
  if (length == 0 || length >= path.size())
    throw plat::SystemException("GetModuleFileName", (int)GetLastError());
  plat::String utf8 = plat::String::adopt(plat::W2MB(path.data()));
  run.setString(RunValueName, ("\"" + std::string(utf8.c_str()) + "\"").c_str());
}

} // namespace addrbook
