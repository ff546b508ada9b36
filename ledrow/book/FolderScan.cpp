#include "ledrow/book/FolderScan.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/FileOps.h"
#include "plat/DString.h"

namespace addrbook {

namespace {

// Exactly ".kiv" in lower case, after at least one character: other files
// in the folders are not the address book's.
bool isEntryFile(const std::string& name) {
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".kiv") == 0;
}

void scan(TreeBranch* branch, int depth) {
  for (const DirEntry& entry : listDirectory(branch->getPath())) {
    // What a link or junction leads to is another folder's: deleting the
    // folder here would delete it there, and a link up the tree would
    // show the book inside itself.
    if (entry.isLink)
      continue;
    plat::DString path;
    path.appendf("%s%c%s", branch->getPath(), PathSeparator, entry.name.c_str());
    if (entry.isDirectory) {
      TreeNode* folder = branch->add(std::make_unique<TreeBranch>(path.c_str(), branch));
      if (depth < MaxFolderDepth)
        scan(static_cast<TreeBranch*>(folder), depth + 1);
    } else if (isEntryFile(entry.name)) {
      branch->add(std::make_unique<TreeLeaf>(path.c_str(), branch));
    }
  }
}

} // namespace

void scanFolder(TreeBranch* branch) { scan(branch, 1); }

} // namespace addrbook
