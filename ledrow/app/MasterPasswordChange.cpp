#include "ledrow/app/MasterPasswordChange.h"
#include "ledrow/data/ProtectedString.h"
#include "ledrow/passwords/Parameters.h"

#include <algorithm>
#include <cstring>

namespace addrbook {

bool changeMasterPassword(PasswordStore& store, PasswordStore::Prompts& prompts,
                          PasswordStore::SettingsWriter& settings,
                          const std::vector<TreeLeaf*>& entries, void* parent) {
  plat::String verifier = masterPassword.getValueStr();
  // Entries signed before a master password was chosen open with the
  // empty one.
  ZeroingBuffer old = ZeroingBuffer::copyOf("", 0);
  if (verifier.length() > 0) {
    old = prompts.enterMasterPassword(parent, verifier.c_str());
    if (!old.c_str())
      return false;
  }
  // Before the new one is chosen: an entry that could not move stops the
  // change while nothing has changed.
  std::vector<OpenedEntry> opened = openEntries(entries, old.c_str());
  ZeroingBuffer chosen = prompts.chooseMasterPassword(parent);
  if (!chosen.c_str())
    return false;
  if (strcmp(old.c_str(), chosen.c_str()) != 0) {
    plat::String newVerifier = encryptString(chosen.c_str(), chosen.c_str());
    bool recorded = false;
    try {
      reprotectEntries(opened, chosen.c_str(), [&] {
        settings.writeString(masterPassword.getName(), newVerifier.c_str());
        masterPassword.setParam(newVerifier.c_str(), plat::PriorityUser);
        recorded = true;
      });
    } catch (const plat::Exception&) {
      if (recorded)
        store.hold(chosen.c_str()); // the new one is in force, for the entries moved
      throw;
    }
  }
  store.hold(chosen.c_str());
  return true;
}

std::string inTheWayText(const EntriesInTheWay& refusal) {
  std::string text = "The master password was not changed: ";
  text += refusal.entries.size() == 1
              ? "this entry cannot be protected with a new one as it stands. Change it, or "
                "remove its password, and try again.\n"
              : "these entries cannot be protected with a new one as they stand. Change them, "
                "or remove their passwords, and try again.\n";
  size_t shown = std::min(refusal.entries.size(), (size_t)ShownEntries);
  for (size_t i = 0; i < shown; i++)
    text += "\n" + refusal.entries[i];
  if (refusal.entries.size() > shown)
    text += "\n... and " + std::to_string(refusal.entries.size() - shown) + " more";
  return text;
}

} // namespace addrbook
