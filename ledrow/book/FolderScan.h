// Fills a folder of the entry tree from the disk: subfolders become
// branches (scanned in turn), files named "<something>.kiv" entries.
// Symbolic links and junctions are left out, to files and folders alike.
#pragma once

#include "ledrow/book/TreeBranch.h"

namespace addrbook {

// Folders nested deeper than this are not descended into: a link that
// leads back up the tree must not recurse for ever.
enum { MaxFolderDepth = 64 };

// Adds what the folder at branch's path holds; a folder that cannot be read
// adds nothing.
void scanFolder(TreeBranch* branch);

} // namespace addrbook
