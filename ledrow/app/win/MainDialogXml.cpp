// The tree dialog's XML export and import.
#include "ledrow/app/win/GetImportPasswdDlg.h"
#include "ledrow/app/win/MainDialog.h"
#include "ledrow/app/win/XmlFileDialog.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/book/XmlExport.h"
#include "ledrow/data/ProtectedString.h"
#include "rdr/MemOutStream.h"

namespace addrbook {

namespace {

bool holdsProtected(const TreeNode* node) {
  return node->isLeaf() ? static_cast<const TreeLeaf*>(node)->isProtected()
                        : static_cast<const TreeBranch*>(node)->hasLockedLeaves();
}

} // namespace

void MainDialog::exportXml(bool wholeBook) {
  try {
    std::string path = chooseXmlFile(GetParent(getHandle()), true);
    if (!path.empty())
      exportTo(path.c_str(), wholeBook);
  } catch (const plat::Exception& e) {
    reportError(e.str());
  }
}

void MainDialog::exportTo(const char* path, bool wholeBook) {
  std::vector<TreeNode*> nodes;
  // One top folder is the book: its contents are exported, not itself.
  bool leaveOut = wholeBook && roots_.size() == 1;
  if (wholeBook) {
    for (const std::unique_ptr<TreeBranch>& root : roots_)
      nodes.push_back(root.get());
  } else if (TreeNode* node = nodeOf(TreeView_GetSelection(tree_))) {
    nodes.push_back(node);
  }
  bool locked = false;
  for (TreeNode* node : nodes)
    locked = locked || holdsProtected(node);
  IdleWork::Hold hold(idleWork_);
  try {
    // Protected entries travel under the master password: the importer
    // asks for it, to open them and protect them anew with its own.
    plat::String verifier;
    if (locked) {
      ZeroingBuffer master = passwords_.getPassword(GetParent(getHandle()));
      if (!master.c_str())
        return;
      verifier = encryptString(master.c_str(), master.c_str());
    }
    rdr::MemOutStream out;
    writeXmlBook(out, nodes, leaveOut, path, verifier.c_str());
  } catch (const plat::Exception& e) {
    reportError(e.str());
  }
}

void MainDialog::importXml(bool atTop) {
  try {
    std::string path = chooseXmlFile(GetParent(getHandle()), false);
    if (!path.empty())
      importFrom(path.c_str(), atTop);
  } catch (const plat::Exception& e) {
    reportError(e.str());
  }
}

void MainDialog::importFrom(const char* path, bool atTop) {
  TreeBranch* target = atTop ? (roots_.empty() ? nullptr : roots_.front().get()) : selectedFolder();
  if (!target)
    return;
  TreeNode* selected = nodeOf(TreeView_GetSelection(tree_));
  std::string reselect = selected ? selected->getPath() : "";
  IdleWork::Hold hold(idleWork_);
  try {
    if (!XmlImporter::importFile(this, path, target->getPath()))
      return;
  } catch (const plat::Exception& e) {
    // What could be imported was: the tree shows it.
    reportError(e.str());
  }
  reselectPath_ = reselect;
  idleWork_.requestReload();
}

ZeroingBuffer MainDialog::getMasterPassword() {
  return passwords_.getPassword(GetParent(getHandle()));
}

ZeroingBuffer MainDialog::getImportPassword(const char* verifier) {
  GetImportPasswdDlg prompt(verifier);
  if (!prompt.runModal(GetParent(getHandle())))
    return ZeroingBuffer();
  return prompt.takePassword();
}

} // namespace addrbook
