#include "ledrow/app/win/SettingsKey.h"

#include <memory>

namespace addrbook {

const char* const SettingsKeyPath = "Software\\Torvane\\Kiv Address Book";
const char* const ProductName = "Kiv Address Book";
const char* const MakerName = "Torvane";

static os::RegKey* key;

void openSettingsKey() {
  if (key)
    return;
  os::RegKey hive(HKEY_CURRENT_USER);
  std::unique_ptr<os::RegKey> opened(new os::RegKey);
  opened->createKey(hive, SettingsKeyPath);
  key = opened.release();
}

os::RegKey& settingsKey() {
  if (!key)
    throw plat::Exception("settings key not open");
  return *key;
}

} // namespace addrbook
