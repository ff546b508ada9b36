// An entry of the entry tree: one connection file and its option set,
// loaded when the leaf is made. An entry that cannot be read is still a
// leaf (not readable, holding what was parsed before the failure), so the
// user sees it and hears why when using it.
#pragma once

#include "ledrow/book/TreeNode.h"
#include "ledrow/data/EncryptedConfig.h"

namespace addrbook {

class TreeLeaf : public TreeNode {
public:
  // Loads the file at path.
  TreeLeaf(const char* path, TreeBranch* parent);

  bool isLeaf() const override { return true; }
  bool isBranch() const override { return false; }
  // The file becomes "<name>.kiv" in the same folder.
  void rename(const char* name) override;

  bool isReadable() const { return readable_; }
  EncryptedConfig& config() { return config_; }
  const EncryptedConfig& config() const { return config_; }

protected:
  // The ".kiv" ending is not shown; the option set's path follows.
  void applyPath(const char* path) override;

private:
  EncryptedConfig config_;
  bool readable_;
};

} // namespace addrbook
