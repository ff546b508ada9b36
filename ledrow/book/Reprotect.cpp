#include "ledrow/book/Reprotect.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/ProtectedString.h"
#include "ledrow/data/SafeSaveFile.h"
#include "plat/LogWriter.h"

#include <string>

namespace addrbook {

static plat::LogWriter vlog("Reprotect");

namespace {

// Failures that do not stop the rest, reported at the end.
struct Failures {
  int count = 0;
  std::string first;
  void add(const char* path, const char* reason) {
    vlog.error("%s: %s", path, reason);
    if (count++ == 0)
      first = std::string(path) + ": " + reason;
  }
};

// A copy of the leaf's entry opened with password, or null.
std::unique_ptr<EncryptedConfig> openedCopy(const TreeLeaf* leaf, const char* password) {
  if (!leaf->isReadable() || !leaf->isProtected())
    return nullptr;
  auto copy = std::make_unique<EncryptedConfig>();
  *copy = leaf->config();
  return copy->decrypt(password) ? std::move(copy) : nullptr;
}

} // namespace

bool needsUpgrade(const EncryptedConfig& entry, const char* verifier) {
  if (entry.hasEncryptedPassword())
    return true;
  if (!entry.hasSignature() || decryptString(verifier, "").c_str())
    return false;
  EncryptedConfig copy;
  copy = entry;
  return copy.decrypt("");
}

int upgradeEntries(const std::vector<TreeLeaf*>& entries, const char* master,
                   std::string* failed) {
  int upgraded = 0;
  Failures failures;
  for (TreeLeaf* leaf : entries) {
    std::unique_ptr<EncryptedConfig> copy = openedCopy(leaf, master);
    if (!copy)
      copy = openedCopy(leaf, "");
    if (!copy)
      continue;
    try {
      copy->encrypt(master);
      copy->save();
    } catch (const plat::Exception& e) {
      failures.add(leaf->getPath(), e.str());
      continue;
    }
    leaf->config() = *copy;
    upgraded++;
  }
  failed->clear();
  if (failures.count)
    *failed = "Unable to upgrade " + std::to_string(failures.count) + " of the entries, the first " +
              failures.first;
  return upgraded;
}

EntriesInTheWay::EntriesInTheWay(std::vector<std::string> refused)
    : entries(std::move(refused)) {
  if (entries.size() == 1)
    appendf("An entry cannot be protected anew as it stands: %s", entries.front().c_str());
  else
    appendf("%d entries cannot be protected anew as they stand, the first %s",
            (int)entries.size(), entries.front().c_str());
}

std::vector<OpenedEntry> openEntries(const std::vector<TreeLeaf*>& entries, const char* password) {
  std::vector<OpenedEntry> opened;
  std::vector<std::string> refused;
  for (TreeLeaf* leaf : entries) {
    std::unique_ptr<EncryptedConfig> copy = openedCopy(leaf, password);
    if (!copy)
      continue;
    std::string why = copy->signingRefusal();
    if (!why.empty())
      refused.push_back(std::string(leaf->getPath()) + ": " + why);
    opened.push_back(OpenedEntry{leaf, std::move(copy)});
  }
  if (!refused.empty())
    throw EntriesInTheWay(std::move(refused));
  return opened;
}

int reprotectEntries(std::vector<OpenedEntry>& opened, const char* newPassword,
                     const std::function<void()>& beforeReplacing) {
  // Their destructors take unused files away.
  std::vector<std::unique_ptr<SafeSaveFile>> files;
  for (OpenedEntry& o : opened) {
    try {
      o.entry->encrypt(newPassword);
      files.push_back(std::make_unique<SafeSaveFile>());
      o.entry->writeBeside(*files.back(), o.leaf->getPath(), true, false, nullptr);
    } catch (const plat::Exception& e) {
      throw plat::ExceptionFmt("Unable to protect %s with the new master password: %s",
                               o.leaf->getPath(), e.str());
    }
  }
  beforeReplacing();

  Failures failures;
  for (size_t i = 0; i < opened.size(); i++) {
    try {
      files[i]->commit();
      opened[i].leaf->config() = *opened[i].entry;
    } catch (const plat::Exception& e) {
      failures.add(opened[i].leaf->getPath(), e.str());
    }
  }
  if (failures.count)
    throw plat::ExceptionFmt("%d of the entries still open with the old master password, the "
                             "first %s",
                             failures.count, failures.first.c_str());
  return (int)opened.size();
}

} // namespace addrbook
