#include "ledrow/app/Parameters.h"

namespace addrbook {

using plat::ConfigParameter;

plat::BoolParameter advancedOptions("AdvancedOptions", "Show the advanced dialog", false,
                                    ConfigParameter::Advanced);
plat::StringParameter addressBook(
    "AddressBook",
    "The directory from which to load the address book. $doc, if present, will be expanded to "
    "the current user's Documents directory.",
    "$doc\\Kiv Address Book");
plat::StringParameter viewerPath("ViewerPath", "Path to Kiv Viewer, or empty to autodetect.", "");
plat::BoolParameter alpha("Alpha", "Show alphabetic view initially", true);
plat::BoolParameter singleItemExpand("SingleItemExpand",
                                     "Show only one item expanded in alphabetic view", false);
plat::StringParameter contractedList("contractedList",
                                     "List of characters to contract in alphabetic view", "",
                                     ConfigParameter::Advanced);
plat::IntParameter encryptPassword("EncryptPassword", "Default behaviour for creating new entries",
                                   3, ConfigParameter::Advanced);
plat::IntParameter toolbarIconSize("ToolbarIconSize", "Tool-bar icon size: 16, 24, 32", 24,
                                   ConfigParameter::Advanced, nullptr, 0, 48);
plat::StringParameter geometry("geometry", "The size and position of the window (WxH+X+Y)", "");
plat::BoolParameter statusBar("StatusBar", "Display status bar", true);
plat::BoolParameter details("Details", "Show the details", true);
plat::BoolParameter toolbar("Toolbar", "Show the toolbar", true);
plat::BoolParameter minimiseToTray("minimiseToTray", "Minimise Kiv Address Book Book to tray",
                                   true);
plat::BoolParameter startMinimised("StartMinimised", "Start Kiv Address Book in the system tray.",
                                   false);

} // namespace addrbook
