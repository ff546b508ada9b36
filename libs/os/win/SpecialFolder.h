// The user's Desktop folder, where fetched files go unless the FetchDir
// setting names another folder.
#pragma once

#include "plat/String.h"

#include <windows.h>

namespace os {

typedef BOOL(WINAPI* GetSpecialFolderPathFn)(HWND owner, LPWSTR path, int folder, BOOL create);

// Through SHGetSpecialFolderPathW, bound once at run time; on a system
// without it, "<%userprofile%>\Desktop". Throws plat::Exception "Cannot
// obtain default download directory." when neither gives a folder.
plat::String getSpecialFolderPath();
// The same with the function given (null: the system lacks it).
plat::String getSpecialFolderPath(GetSpecialFolderPathFn function);

} // namespace os
