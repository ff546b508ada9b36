// Folder and file helpers shared by the tests and kivpeer.
#pragma once

#include <string>

namespace testing_support {

// Removes dir and everything below it (read-only files included).
void removeTree(const std::wstring& dir);

// Whether two files hold the same bytes (false when either cannot be read).
// Files still open for writing elsewhere can be compared.
bool sameFileContents(const std::string& a, const std::string& b);

} // namespace testing_support
