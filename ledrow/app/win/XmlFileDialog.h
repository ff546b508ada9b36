// The file dialogs of the XML export and import.
#pragma once

#include <windows.h>

#include <string>

namespace addrbook {

// The save-file dialog "Export Kiv Address Book Entries" or the open-file
// dialog "Import Kiv Address Book Entries" for XML books, starting in the
// Documents folder: the chosen path, or "" when cancelled. Throws
// plat::Exception "GetSaveFileName failed" or "GetOpenFileName" when the
// dialog fails.
std::string chooseXmlFile(HWND owner, bool forSaving);

} // namespace addrbook
