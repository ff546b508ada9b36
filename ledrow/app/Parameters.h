// The address book's own settings, in the global configuration. The
// master-password settings live with the password cache
// (ledrow/passwords/Parameters.h).
#pragma once

#include "plat/ConfigParameter.h"

namespace addrbook {

extern plat::BoolParameter advancedOptions;
// Top folders of the book, separated by ","; "$doc" is the user's folder.
extern plat::StringParameter addressBook;
// Empty: kivviewer.exe beside the program.
extern plat::StringParameter viewerPath;
extern plat::BoolParameter alpha;
extern plat::BoolParameter singleItemExpand;
extern plat::StringParameter contractedList;
// What happens to a password the viewer sends: 0 drop, 1 keep, 2 protect
// with the master password, 3 ask.
extern plat::IntParameter encryptPassword;
extern plat::IntParameter toolbarIconSize;
// "WxH+X+Y"
extern plat::StringParameter geometry;
extern plat::BoolParameter statusBar;
extern plat::BoolParameter details;
extern plat::BoolParameter toolbar;
extern plat::BoolParameter minimiseToTray;
extern plat::BoolParameter startMinimised;

} // namespace addrbook
