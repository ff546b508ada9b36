// The file calls that connection files need, by UTF-8 path: the Windows
// build goes through the wide-character calls, the native build through
// POSIX.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace addrbook {

// Joins the components of the platform's paths: "\" on Windows, "/" in the
// native build.
extern const char PathSeparator;

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
// True when a file or directory of that name exists, false when the name is
// free; throws plat::SystemException "fileExists(%s)" when that cannot be
// told.
bool fileExists(const char* path);
// An existing directory is no error; throws plat::SystemException
// "mkDir(%s)" for anything else, an existing file included.
void makeDirectory(const char* path);
enum class NewDirectory { Made, NameTaken, Failed };
// Makes a directory under a name not taken yet: NameTaken when a file or
// directory has it, Failed (lastFileError says why) for anything else.
NewDirectory createDirectory(const char* path);
// Moves a file or a directory to a name that must be free (a file or
// directory there is never replaced); false on failure (lastFileError).
bool moveFile(const char* from, const char* to);

struct DirEntry {
  std::string name;
  bool isDirectory;
  // A symbolic link or a junction (to a file or a directory).
  bool isLink;
};
// The names in a directory, hidden ones included, without "." and "..", in
// the system's order; empty when the directory cannot be read.
std::vector<DirEntry> listDirectory(const char* path);

// The system's code for the last failure of these calls.
int lastFileError();

} // namespace addrbook
