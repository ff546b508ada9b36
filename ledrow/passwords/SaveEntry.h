// Saving an entry that may be locked: a protected entry changed without its
// master password is signed anew before it is written, so that no save
// leaves a signature that no longer opens (and the password inside it
// lost).
#pragma once

#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/passwords/PasswordStore.h"

namespace addrbook {

// Saves entry to its own file. When the save needs the master password
// (EncryptedConfig::needsSigning) it is taken from store, which asks for it
// over parent when it holds none. False when the prompt was cancelled:
// nothing is written. Throws plat::Exception CorruptEntryText when the
// master password does not open the entry, UnverifiedEntryText when it
// does but the entry is not what was signed, the text of
// EncryptedConfig::encrypt when it cannot be signed, or the save's own;
// the file is then as it was.
bool saveEntry(EncryptedConfig& entry, PasswordStore& store, void* parent);

} // namespace addrbook
