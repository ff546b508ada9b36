// Deleting a folder with everything in it, as the shell does.
#pragma once

#include <windows.h>

namespace addrbook {

// The shell's delete of path and all it holds, without questions or error
// boxes of its own. *aborted tells whether the user stopped part of it.
// Throws plat::SystemException "Cannot delete directory" with the failure
// as a Win32 error code: the shell reports some in codes of its own, which
// mean something else as Win32 codes.
void deleteFolderTree(const char* path, HWND owner, bool* aborted);

} // namespace addrbook
