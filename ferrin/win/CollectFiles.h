// The files of a copied or chosen item, collected for an upload share: a
// file, or a folder with its whole tree below it, each entry named
// relative to the item's parent with '/' between the levels. A folder that
// is a reparse point (a junction or a link) is offered, but not entered:
// it may lead anywhere, back up its own tree included.
#pragma once

#include "ft/FileProxy.h"
#include "ft/ManagedVector.h"

namespace os {
class ShellItem;
}

namespace ft {

// Whether a name another program gave may be offered: one or more
// components, none empty, "." or "..", no drive or stream (':'), no
// control characters.
bool isOfferableName(const char* name);

// path: the file or folder; name: what the share calls it. Throws
// plat::Exception for a name that may not be offered and
// plat::SystemException for a file that cannot be looked at.
void collectPath(const char* path, const char* name, ManagedVector<FileProxy>* out);

// A shell item below prefix (empty: at the top): file-system items by
// their path, others (virtual folders) through their enumeration. Throws
// plat::SystemException "IShellFolder::EnumObjects".
void collectItem(const os::ShellItem& item, const char* prefix, ManagedVector<FileProxy>* out);

} // namespace ft
