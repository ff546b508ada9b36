// An entry of the entry tree: one connection file and its option set. The
// file is read and checked when the leaf is made; what the tree shows of it
// (whether it read, whether it is protected) is kept, while the option set
// itself is read again from the file when first asked for and kept from
// then on. A full option set weighs kilobytes: a book of thousands of
// entries would hold them all for the few the user opens. An entry that
// cannot be read is still a leaf (not readable, its option set holding what
// was parsed before the failure), so the user sees it and hears why when
// using it.
#pragma once

#include "ledrow/book/TreeNode.h"
#include "ledrow/data/EncryptedConfig.h"

#include <memory>

namespace addrbook {

class TreeLeaf : public TreeNode {
public:
  // Reads and checks the file at path.
  TreeLeaf(const char* path, TreeBranch* parent);

  bool isLeaf() const override { return true; }
  bool isBranch() const override { return false; }
  // The file becomes "<name>.kiv" in the same folder.
  void rename(const char* name) override;

  // Whether the last read of the file completed.
  bool isReadable() const { return readable_; }
  // Whether the entry holds a signature or an encrypted password; the
  // option set is not read for it.
  bool isProtected() const { return config_ ? config_->isProtected() : protected_; }
  // Read from the leaf's path on first use.
  EncryptedConfig& config() { return loaded(); }
  const EncryptedConfig& config() const { return loaded(); }

protected:
  // The ".kiv" ending is not shown; the option set's path follows.
  void applyPath(const char* path) override;

private:
  // A new option set with the file at the leaf's path read into it.
  std::unique_ptr<EncryptedConfig> load() const;
  EncryptedConfig& loaded() const;

  mutable std::unique_ptr<EncryptedConfig> config_;
  mutable bool readable_;
  bool protected_;
};

} // namespace addrbook
