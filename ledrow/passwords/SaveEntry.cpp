#include "ledrow/passwords/SaveEntry.h"

namespace addrbook {

bool saveEntry(EncryptedConfig& entry, PasswordStore& store, void* parent) {
  if (entry.needsSigning()) {
    ZeroingBuffer master = store.getPassword(parent);
    if (!master.c_str())
      return false;
    if (!entry.resign(master.c_str()))
      throw plat::Exception(CorruptEntryText);
  }
  entry.save();
  return true;
}

} // namespace addrbook
