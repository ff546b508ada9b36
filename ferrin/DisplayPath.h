// How the file-transfer dialog names a folder to the user: a folder below
// the user's profile folder by the part after it ("Desktop",
// "Documents\Transfers"), any other by its whole path.
#pragma once

namespace ft {

// profile: the profile folder, or null. A folder beside it whose name only
// begins with the same text ("C:\Users\bobby" for "C:\Users\bob") keeps
// its whole path. A new buffer.
char* displayPathFor(const char* path, const char* profile);

// The same for the current user (%userprofile%). A new buffer.
char* displayPath(const char* path);

} // namespace ft
