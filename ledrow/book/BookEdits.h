// The changes a user makes to the book's folders and entry files: renames,
// moves and new folders, checked before the disk is touched. The tree is
// left as it is; the caller reloads it from the disk afterwards.
#pragma once

#include <string>

namespace addrbook {

class TreeBranch;
class TreeNode;

// What the refusals say.
extern const char InvalidNameText[];
extern const char TopFolderText[];
extern const char IntoItselfText[];

// The folders that AddressBook names are the book itself: they are never
// renamed, moved or deleted (a book at the root of a drive would be
// deleted whole).
bool isTopFolder(const TreeNode& node);

// Throws plat::Exception TopFolderText for a top folder.
void checkNotTopFolder(const TreeNode& node);

// Gives node the name on disk (an entry keeps its ".kiv"): the new path,
// or "" when the name is the node's own. Throws plat::Exception
// InvalidNameText for a name that is empty, "." or "..", a device name,
// ends in a dot or a space, or holds a control character or one Windows
// refuses; TopFolderText; plat::SystemException "Unable to rename file"
// when the disk refuses (an existing file of that name is never replaced).
std::string renameOnDisk(const TreeNode& node, const char* name);

// Moves node into destination on disk: the new path, or "" when it is
// there already. Throws plat::Exception TopFolderText, IntoItselfText (a
// folder into itself or into a folder below it), plat::SystemException
// "Unable to move file".
std::string moveOnDisk(const TreeNode& node, const TreeBranch& destination);

// Makes "New Folder", else the first free "New Folder (n)", in folder and
// returns its path. Throws plat::Exception "Too many New Folders exist",
// plat::SystemException "Unable to create folder".
std::string makeNewFolder(const char* folder);

} // namespace addrbook
