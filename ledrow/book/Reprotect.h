// Protecting the book's entries anew: the upgrade of entries in an older
// form to a signature under the master password, and the move of every
// protected entry from one master password to another.
#pragma once

#include "ledrow/data/EncryptedConfig.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace addrbook {

class TreeLeaf;

// Whether entry is in a form the upgrade replaces: it holds an encrypted
// password (the old form), or it was signed with the empty password (before
// a master password existed) while verifier, the MasterPassword setting,
// does not open with the empty password.
bool needsUpgrade(const EncryptedConfig& entry, const char* verifier);

// Upgrades each entry: opened with master, or else with the empty password,
// signed under master and saved; one that opens with neither is left as it
// is. Returns how many were upgraded. An entry that cannot be signed or
// saved stays as it was and does not stop the rest; *failures then says
// how many there were and names the first (empty when there were none).
int upgradeEntries(const std::vector<TreeLeaf*>& entries, const char* master,
                   std::string* failures);

// An entry opened with the master password in force, in memory only.
struct OpenedEntry {
  TreeLeaf* leaf;
  std::unique_ptr<EncryptedConfig> entry;
};

// Entries that could not be signed again as they stand, each as
// "<path>: <why>" (EncryptedConfig::signingRefusal); the message names the
// one, or says how many and names the first.
struct EntriesInTheWay : plat::Exception {
  explicit EntriesInTheWay(std::vector<std::string> refused);
  std::vector<std::string> entries;
};

// The protected entries of entries that open with password, opened; those
// that do not open are left out. Throws EntriesInTheWay, naming every one
// of them that could not be signed again, so that a change of the master
// password can be refused before anything changes.
std::vector<OpenedEntry> openEntries(const std::vector<TreeLeaf*>& entries, const char* password);

// Moves the opened entries to newPassword, all or nothing: each entry's new
// file is written beside it first (CConnOptions::writeBeside); only when
// every one is written and beforeReplacing (the caller's own step, such as
// recording the new verifier) has returned do they replace the entries,
// each in one step. Returns how many were moved. Throws plat::Exception,
// with nothing changed, when an entry cannot be signed or written or
// beforeReplacing throws. A failure once the replacing has begun leaves
// every entry opening with the old password or the new one, and says how
// many still open with the old.
int reprotectEntries(std::vector<OpenedEntry>& opened, const char* newPassword,
                     const std::function<void()>& beforeReplacing);

} // namespace addrbook
