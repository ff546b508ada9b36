// An entry's properties: the server page and the viewer-options pages in
// one sheet, on a copy of the entry that replaces it only on OK. Saving is
// the caller's.
#pragma once

#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/passwords/PasswordStore.h"

#include <windows.h>

namespace addrbook {

// What a protected entry that the master password does not open is told.
extern const char DifferentPasswordText[];

// True when the user pressed OK and entry now holds the edited copy; a
// protected entry is opened with the master password first (a cancelled
// prompt: false; a password that does not open it: false after
// DifferentPasswordText in an error box, UnverifiedEntryText for an entry
// changed since it was protected). When
// the server page asks for protection the copy is signed under the master
// password before it replaces the entry; a copy that could not be signed
// keeps the sheet open (with entryName, or for a new entry (null) the name
// its server gives, in the refusal). Throws plat::Exception when the copy
// cannot be signed all the same (no salt); entry is then as it was.
bool showEntryProperties(EncryptedConfig& entry, const char* entryName, PasswordStore& store,
                         HWND owner, HINSTANCE resources);

} // namespace addrbook
