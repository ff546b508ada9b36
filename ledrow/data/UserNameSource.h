// Where the user name of a new option set comes from. The address book
// installs the current Windows user's name at start-up; until a source is
// installed (and in tests that install their own) the name is unknown.
#pragma once

#include "plat/String.h"

namespace addrbook {

// Returns the name or throws plat::Exception.
typedef plat::String (*UserNameSource)();

// null uninstalls.
void setUserNameSource(UserNameSource source);
// Throws plat::Exception when there is no source or it fails.
plat::String currentUserName();

} // namespace addrbook
