#include "ledrow/app/win/EntryProperties.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/win/ServerPage.h"
#include "ledrow/app/win/SettingsKey.h"
#include "plat/LogWriter.h"
#include "plat/win/EventManager.h"
#include "ui/win/MsgBox.h"
#include "ui/win/PropertiesDialog.h"
#include "viewerconfig/win/ViewerPages.h"

namespace addrbook {

static plat::LogWriter vlog("Options");

const char DifferentPasswordText[] =
    "That entry is encrypted using a different password. To merge entries from other address "
    "books into yours, please use the Import/Export feature.";

bool showEntryProperties(EncryptedConfig& entry, const char* entryName, PasswordStore& store,
                         HWND owner, HINSTANCE resources) {
  EncryptedConfig working;
  working = entry;
  bool wasProtected = entry.isProtected();
  if (wasProtected) {
    ZeroingBuffer master = store.getPassword(owner);
    if (!master.c_str())
      return false;
    EncryptedConfig::Unlock unlocked = working.unlock(master.c_str());
    if (unlocked != EncryptedConfig::Unlock::Opened) {
      ui::MsgBox(owner,
                 unlocked == EncryptedConfig::Unlock::NotVerified ? UnverifiedEntryText
                                                                  : DifferentPasswordText,
                 MB_OK | MB_ICONERROR);
      return false;
    }
  }

  ServerPage server(&working, wasProtected, entryName);
  viewerconfig::ViewerPages pages(&working);
  ui::SheetPage host = {&server, "Kiv Server Options",
                        "Configure the Kiv Server address and authentication details."};
  ui::PropertiesDialog sheet("Properties", pages.basicSet(host), pages.advancedSet(host),
                             &pages.expert, &advancedOptions, true, resources);
  bool ok = sheet.runModal(owner, plat::EventManager::threadInstanceOrNull(), false, false);
  try {
    settingsKey().setBool(advancedOptions.getName(), advancedOptions);
  } catch (const plat::Exception& e) {
    vlog.error("%s", e.str());
  }
  if (!ok)
    return false;

  if (server.protectionAsked()) {
    ZeroingBuffer master = store.getPassword(owner);
    if (!master.c_str())
      return false;
    working.encrypt(master.c_str());
  }
  entry = working;
  return true;
}

} // namespace addrbook
