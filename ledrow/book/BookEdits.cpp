#include "ledrow/book/BookEdits.h"
#include "ledrow/book/FreeName.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/data/FileOps.h"
#include "plat/Exception.h"
#include "plat/SafeFileName.h"

namespace addrbook {

const char InvalidNameText[] =
    "That name cannot be used. A name must not be empty, \".\" or \"..\", or a device name "
    "such as CON or LPT1, must not end in a dot or a space, and must not hold control "
    "characters or any of \\ / : * ? \" < > |";
const char TopFolderText[] =
    "The address book's own folders cannot be renamed, moved or deleted.";
const char IntoItselfText[] = "A folder cannot be moved into itself or into a folder inside it.";

bool isTopFolder(const TreeNode& node) { return node.getParent() == nullptr; }

void checkNotTopFolder(const TreeNode& node) {
  if (isTopFolder(node))
    throw plat::Exception(TopFolderText);
}

namespace {

// The path of name in the folder that holds path.
std::string besidePath(const char* path, const std::string& name) {
  return std::string(path, lastComponent(path) - path) + name;
}

void move(const std::string& from, const std::string& to, const char* failure) {
  if (!moveFile(from.c_str(), to.c_str()))
    throw plat::SystemException(failure, lastFileError());
}

} // namespace

std::string renameOnDisk(const TreeNode& node, const char* name) {
  checkNotTopFolder(node);
  // A name the rules would change is refused rather than changed: the
  // user sees what the file is called.
  if (!*name || plat::safeFileName(name) != name)
    throw plat::Exception(InvalidNameText);
  if (node.getName() == std::string(name))
    return "";
  std::string path = besidePath(node.getPath(), node.isLeaf() ? std::string(name) + ".kiv" : name);
  move(node.getPath(), path, "Unable to rename file");
  return path;
}

std::string moveOnDisk(const TreeNode& node, const TreeBranch& destination) {
  checkNotTopFolder(node);
  for (const TreeNode* folder = &destination; folder; folder = folder->getParent())
    if (folder == &node)
      throw plat::Exception(IntoItselfText);
  std::string path = std::string(destination.getPath()) + PathSeparator + lastComponent(node.getPath());
  if (path == node.getPath())
    return "";
  move(node.getPath(), path, "Unable to move file");
  return path;
}

std::string makeNewFolder(const char* folder) {
  std::string base = std::string(folder) + PathSeparator + "New Folder";
  for (int i = 0; i <= MaxNameSuffix; i++) {
    std::string path = i ? base + " (" + std::to_string(i) + ")" : base;
    switch (createDirectory(path.c_str())) {
    case NewDirectory::Made:
      return path;
    case NewDirectory::NameTaken:
      continue;
    case NewDirectory::Failed:
      throw plat::SystemException("Unable to create folder", lastFileError());
    }
  }
  throw plat::Exception("Too many New Folders exist");
}

} // namespace addrbook
