// Names from outside (a remote share's listing, an imported book, the
// viewer, a name the user types) made safe as names of files and folders on
// Windows. Every place that turns such a name into a path goes through
// here, so that there is one set of rules.
#pragma once

#include <cstddef>
#include <string>

namespace plat {

// Whether the first length bytes of name are a device name (CON, PRN, AUX,
// NUL, CONIN$, CONOUT$, COM1-9, LPT1-9 and the COM and LPT names with a
// superscript digit), compared as Windows compares them: in any case, with
// trailing spaces ignored.
bool isDeviceName(const char* name, size_t length);

// name as one component of a Windows path:
// - characters Windows refuses in a name (codes 0-31, " * / : < > ? \ |)
//   become '-', so the name cannot reach another folder, a drive or a
//   stream;
// - a trailing dot or space, which Windows would silently drop (so that
//   "..." or ".. " would mean ".."), becomes '-';
// - a device name, with or without an extension, gets '-' after its device
//   part ("CON.txt" becomes "CON-.txt"), so that no data goes to a device;
// - an empty name becomes "-".
// The result is never empty, "." or "..".
std::string safeFileName(const std::string& name);

} // namespace plat
