#include "ledrow/app/win/BookFolders.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/win/MainDialog.h"
#include "plat/Environment.h"
#include "plat/win/Unicode.h"

#include <shlobj.h>

namespace addrbook {

static std::string shellFolder(int csidl) {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                              path)))
    return "";
  plat::String utf8 = plat::String::adopt(plat::W2MB(path));
  return utf8.c_str();
}

std::string documentFolder() {
  std::string folder = shellFolder(CSIDL_APPDATA);
  if (!folder.empty()) {
    folder += "\\Torvane";
    plat::WString wide(folder.c_str());
    CreateDirectoryW(wide.c_str(), nullptr);
    return folder;
  }
  return shellFolder(CSIDL_PERSONAL);
}

std::vector<std::string> bookFolders() {
  plat::EnvMap vars;
  try {
    std::string doc = documentFolder();
    if (doc.empty())
      mainDialogLog.error("No expansion for $doc");
    else
      vars["doc"] = doc;
  } catch (const plat::Exception& e) {
    mainDialogLog.error("%s", e.str());
  }
  plat::String expanded = plat::expandEnvVars(addressBook.getValueStr().c_str(), &vars);
  std::vector<std::string> folders;
  plat::TokenCursor parts(expanded.c_str());
  while (const char* part = parts.next(',')) {
    plat::WString wide(part);
    if (!CreateDirectoryW(wide.c_str(), nullptr)) {
      DWORD error = GetLastError();
      if (error != ERROR_ALREADY_EXISTS) {
        mainDialogLog.error("CreateDirectory(%s) returned %i, err=%i", part, 0, (int)error);
        continue;
      }
    }
    folders.push_back(part);
  }
  return folders;
}

} // namespace addrbook
