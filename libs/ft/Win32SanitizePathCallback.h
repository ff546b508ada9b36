// Names from the other end made safe for a Windows file system:
// - characters Windows refuses in a name (codes 0-31, " * : < > ? \ |)
//   become '-', so no component can name a drive, a stream or a parent;
// - a trailing dot or space, which Windows would silently drop (so that
//   "..." or ".. " would mean ".."), becomes '-';
// - a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, ...) in any case and
//   with or without an extension or trailing spaces before it gets '-'
//   appended, so that no data goes to a device;
// - empty components are dropped; a name left empty becomes "-".
// The result never has an empty, "." or ".." component.
#pragma once

#include "ft/SanitizePathCallback.h"

namespace ft {

class Win32SanitizePathCallback : public SanitizePathCallback {
public:
  char* sanitize(const char* relativePath) override;

  // Whether the first length bytes of name are a device name, compared as
  // Windows compares them (any case, trailing spaces ignored).
  static bool isDeviceName(const char* name, int length);
};

} // namespace ft
