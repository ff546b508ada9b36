// Path arithmetic. Both "\" and "/" are separators; roots are drive roots
// ("C:\") and server shares ("\\server\share").
#pragma once

#include "plat/String.h"

namespace plat {

inline bool isPathSeparator(char c) { return c == '\\' || c == '/'; }

// The parent of a path, with its trailing separator.
class ParentDirectory {
public:
  struct PathIsRoot : Exception {
    explicit PathIsRoot(const char* path);
  };
  struct NotAPath : Exception {
    explicit NotAPath(const char* path);
  };

  // Throws AssertionFail "path != 0" for a null path.
  explicit ParentDirectory(const char* path);

  const char* path() const { return path_.c_str(); }
  bool isRoot() const { return isRoot_; }

private:
  String path_;
  bool isRoot_;
};

// The length of the root a path starts with (a drive root, or a server and
// share with its trailing separator when present), 0 for none, -1 for a
// server without a share.
int rootLength(const char* path);
bool isRootPath(const char* path);

// Whether opening the path may reach another machine, by its form: a
// server share ("\\server\share") or a name in one of the system's
// namespaces ("\\?\", "\\.\", "\??\"), where a share can hide too. A drive the
// user mapped to a share is not seen: that connection is the user's own.
bool mayReachNetwork(const char* path);

// Whether the path's last name is a device (CON, NUL, COM1, CONIN$ and the
// rest, see isDeviceName), with or without a drive, a folder, an extension
// or a colon after it: Windows opens the device for such a path, which can
// block on a serial port or the console.
bool namesDevice(const char* path);

// The directory part without a trailing separator ("." when there is none);
// a root keeps its form.
String directoryOf(const char* path);

} // namespace plat
