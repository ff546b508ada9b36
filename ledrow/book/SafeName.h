// Names from an imported book become file and folder names. Whatever the
// book says, a name must stay one component inside the folder it is made
// in: no separators, no "." or "..", nothing Windows would read as a
// device or silently shorten.
#pragma once

#include <string>

namespace addrbook {

// name with every character that cannot appear in a file name (":", "?",
// "/", "\", "<", ">", "*", "|", the double quote and control characters),
// and every trailing dot or blank, replaced by "-"; a device name (CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with or without an extension)
// gets a "-" after the device part; an empty name becomes "-".
std::string safeFileName(const char* name);

} // namespace addrbook
