// The file calls that connection files need, by UTF-8 path: the Windows
// build goes through the wide-character calls, the native build through
// POSIX.
#pragma once

#include <cstdio>

namespace addrbook {

// null when the file cannot be opened.
FILE* tryOpenFile(const char* path, const char* mode);
// Throws plat::SystemException "fileOpen(%s)".
FILE* openFile(const char* path, const char* mode);
// Pushes what the system holds of the file onto the disk; false on failure.
bool syncFile(FILE* file);
// Moves from over to in one step, so that to is either the old file or
// the new one; false on failure.
bool replaceFile(const char* from, const char* to);
bool deleteFile(const char* path);
// The system's code for the last failure of these calls.
int lastFileError();

} // namespace addrbook
