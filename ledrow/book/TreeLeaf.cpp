#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/FileOps.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"

namespace addrbook {

static plat::LogWriter vlog("TreeLeaf");

static const char Extension[] = ".kiv";
enum { ExtensionLength = sizeof(Extension) - 1 };

TreeLeaf::TreeLeaf(const char* path, TreeBranch* parent)
    : TreeNode(parent), readable_(false), protected_(false) {
  applyPath(path);
  protected_ = load()->isProtected();
}

std::unique_ptr<EncryptedConfig> TreeLeaf::load() const {
  auto entry = std::make_unique<EncryptedConfig>();
  entry->setFilePath(getPath());
  readable_ = false;
  try {
    entry->loadFromFile(getPath());
    readable_ = true;
  } catch (const plat::Exception& e) {
    vlog.error("%s: %s", getPath(), e.str());
  }
  return entry;
}

EncryptedConfig& TreeLeaf::loaded() const {
  if (!config_)
    config_ = load();
  return *config_;
}

void TreeLeaf::applyPath(const char* path) {
  TreeNode::applyPath(path);
  const char* name = getName();
  int length = plat::strLen(name);
  // A file called just ".kiv" keeps its whole name rather than none.
  if (length > ExtensionLength &&
      plat::strCaseCmp(name + length - ExtensionLength, Extension) == 0)
    setName(plat::String::adopt(plat::strDup(name, length - ExtensionLength)).c_str());
  if (config_)
    config_->setFilePath(path);
}

void TreeLeaf::rename(const char* name) {
  plat::DString file;
  file.appendf("%s%s", name, Extension);
  setPath(siblingPath(file.c_str()).c_str());
}

} // namespace addrbook
