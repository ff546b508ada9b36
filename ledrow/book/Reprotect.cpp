#include "ledrow/book/Reprotect.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/ProtectedString.h"
#include "ledrow/data/SafeSaveFile.h"
#include "plat/LogWriter.h"
#include "rdr/MemOutStream.h"

#include <memory>
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

int reprotectEntries(const std::vector<TreeLeaf*>& entries, const char* oldPassword,
                     const char* newPassword, const std::function<void()>& beforeReplacing) {
  struct Pending {
    TreeLeaf* leaf;
    std::unique_ptr<EncryptedConfig> entry;
    std::unique_ptr<SafeSaveFile> file; // its destructor takes an unused file away
  };
  std::vector<Pending> pending;
  for (TreeLeaf* leaf : entries) {
    std::unique_ptr<EncryptedConfig> copy = openedCopy(leaf, oldPassword);
    if (!copy)
      continue;
    try {
      copy->encrypt(newPassword);
      rdr::MemOutStream text(1024);
      copy->write(text, true, false, nullptr);
      auto file = std::make_unique<SafeSaveFile>();
      file->open(leaf->getPath(), true);
      file->write(text.data(), text.length());
      file->finish();
      pending.push_back(Pending{leaf, std::move(copy), std::move(file)});
    } catch (const plat::Exception& e) {
      throw plat::ExceptionFmt("Unable to protect %s with the new master password: %s",
                               leaf->getPath(), e.str());
    }
  }
  beforeReplacing();

  Failures failures;
  for (Pending& p : pending) {
    try {
      p.file->commit();
      p.leaf->config() = *p.entry;
    } catch (const plat::Exception& e) {
      failures.add(p.leaf->getPath(), e.str());
    }
  }
  if (failures.count)
    throw plat::ExceptionFmt("%d of the entries still open with the old master password, the "
                             "first %s",
                             failures.count, failures.first.c_str());
  return (int)pending.size();
}

} // namespace addrbook
