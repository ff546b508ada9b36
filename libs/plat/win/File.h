// UTF-8 facing file helpers over the Windows and C runtime file calls.
#pragma once

#include "plat/String.h"

#include <cstdio>

namespace plat {

// False for "file not found" and "path not found"; other errors throw
// "fileExists(%s)".
bool fileExists(const char* path);
bool isDirectory(const char* path);
// Throws "fileOpen(%s)" on failure.
FILE* fileOpen(const char* path, const char* mode);
FILE* fileTryOpen(const char* path, const char* mode);
bool fileDelete(const char* path);
// Moves from over to in one step: a failed move leaves to as it was.
bool fileRename(const char* from, const char* to);
// True when created; false when it already is a directory. Other failures
// throw "mkDir(%s)".
bool mkDir(const char* path, bool makePrivate = false, bool privateIfExisting = false);
// mkDir, creating missing parents first.
bool mkDirs(const char* path, bool makePrivate = false, bool privateIfExisting = false);

} // namespace plat
