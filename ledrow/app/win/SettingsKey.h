// The address book's key under the user's hive, where settings changed in
// the program are written under their own names. Opened once at start-up
// and kept open for the whole run.
#pragma once

#include "os/win/RegKey.h"

namespace addrbook {

// "Software\Torvane\Kiv Address Book"
extern const char* const SettingsKeyPath;
extern const char* const ProductName;
extern const char* const MakerName;

// Creates the key when missing.
void openSettingsKey();
// Throws plat::Exception "settings key not open" before openSettingsKey.
os::RegKey& settingsKey();

} // namespace addrbook
