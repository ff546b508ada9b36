// A name for a new entry file that takes no existing file's place.
#pragma once

#include <string>

namespace addrbook {

enum { MaxNameSuffix = 999 };

// "<base>.kiv", else "<base> (n).kiv" with the smallest free n up to
// MaxNameSuffix; empty when every one is taken. Throws
// plat::SystemException when a name cannot be looked at (a folder that
// cannot be read is no reason to try the next number).
std::string freeEntryPath(const std::string& base);

} // namespace addrbook
