// The seam between the portable parser and the platform's file names
// (UTF-8 here, UTF-16 on Windows).
#pragma once

#include <cstdio>

namespace xml {

// Opens a file for reading in binary mode; null when it cannot be opened.
FILE* openForReading(const char* path);

} // namespace xml
