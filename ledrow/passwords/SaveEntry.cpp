#include "ledrow/passwords/SaveEntry.h"

namespace addrbook {

bool saveEntry(EncryptedConfig& entry, PasswordStore& store, void* parent) {
  if (entry.needsSigning()) {
    ZeroingBuffer master = store.getPassword(parent);
    if (!master.c_str())
      return false;
    EncryptedConfig::Unlock signedAnew = entry.resign(master.c_str());
    if (signedAnew != EncryptedConfig::Unlock::Opened)
      throw plat::Exception(EncryptedConfig::refusalText(signedAnew));
  }
  entry.save();
  return true;
}

} // namespace addrbook
