// The top folders of the address book, as the AddressBook setting names
// them.
#pragma once

#include <string>
#include <vector>

namespace addrbook {

// The user's folder that "$doc" stands for: the application-data folder
// with "\Torvane" (made when missing), else the Documents folder; empty
// when neither can be had.
std::string documentFolder();

// AddressBook with "$doc" and the environment expanded, split at ",";
// each folder is made when missing. Folders that cannot be made are left
// out (and logged).
std::vector<std::string> bookFolders();

} // namespace addrbook
