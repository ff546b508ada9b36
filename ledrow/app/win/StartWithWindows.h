// Starting the address book when the user logs in: a value of the user's
// "Run" key holding the program's path.
#pragma once

namespace addrbook {

// "Software\Microsoft\Windows\CurrentVersion\Run" and "Torvane_ledrow".
extern const char* const RunKeyPath;
extern const char* const RunValueName;

// Whether the value exists, whatever its text (a value that cannot be read
// counts as none).
bool startsWithWindows();
// Writes the running program's path, in double quotes so that a path with
// blanks names no other program, or deletes the value (none is no error).
// Throws plat::SystemException.
void setStartWithWindows(bool start);

} // namespace addrbook
