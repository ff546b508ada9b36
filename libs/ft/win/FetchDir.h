// The folder that shares flagged for saving go into: the FetchDir setting,
// the user's Desktop when it is empty, or a question to the user each time
// when it is "?".
#pragma once

#include "plat/String.h"

namespace ft {

// FetchDir's folder, or the Desktop for the empty value. Throws
// plat::Exception when the Desktop cannot be found.
plat::String defaultFetchDir();
bool fetchDirAsksEveryTime();

} // namespace ft
