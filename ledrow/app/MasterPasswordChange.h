// Changing the master password (the options' "Change..."): the new one is
// chosen before anything changes, and the book's protected entries move to
// it all together or not at all.
#pragma once

#include "ledrow/book/Reprotect.h"
#include "ledrow/passwords/PasswordStore.h"

#include <string>
#include <vector>

namespace addrbook {

class TreeLeaf;

// Asks for the current master password (when one is set), then has the new
// one chosen; every protected entry of entries that opens with the old
// password (the empty one when none was set) is protected with the new one
// (see reprotectEntries), the new verifier is recorded in MasterPassword
// and through settings, and store holds the new password. False when a
// prompt was cancelled: nothing changed. Throws EntriesInTheWay, before
// the new password is asked for, when any of those entries could not be
// signed again (see openEntries); plat::Exception as reprotectEntries
// does; when the verifier cannot be written nothing has changed.
bool changeMasterPassword(PasswordStore& store, PasswordStore::Prompts& prompts,
                          PasswordStore::SettingsWriter& settings,
                          const std::vector<TreeLeaf*>& entries, void* parent);

// What the user is told when entries stand in the way of the change: each
// entry and why, the first ShownEntries of them, then how many more.
enum { ShownEntries = 8 };
std::string inTheWayText(const EntriesInTheWay& refusal);

} // namespace addrbook
