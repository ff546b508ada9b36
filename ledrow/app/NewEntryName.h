// Where a new entry for a server goes in a top folder.
#pragma once

#include <string>

namespace addrbook {

// The name a new entry for server takes: the server address made safe as a
// file name, "New Entry" for none.
std::string newEntryName(const char* server);

// That name as a free entry path in folder (see freeEntryPath). Throws
// plat::Exception "Too many entries of that name exist" when there is none.
std::string newEntryPath(const char* folder, const char* server);

} // namespace addrbook
