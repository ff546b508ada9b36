#include "ft/win/ASAD_PFFDT_Glue.h"

namespace ft {

ASAD_PFFDT_Glue::ASAD_PFFDT_Glue(Extension* extension, FolderPrompt* prompt)
    : autoDownloader_(extension, this), promptThread_(prompt) {}

void ASAD_PFFDT_Glue::getDir(ShareProxy* share) {
  promptThread_.start();
  promptThread_.ask(&autoDownloader_, share);
}

} // namespace ft
