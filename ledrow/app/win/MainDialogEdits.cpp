// The tree dialog's operations on entries and folders: new, rename, drag,
// delete, properties, the upgrade of older entries, and the alphabetic
// view's groups.
#include "ledrow/app/win/MainDialog.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/win/AppMessages.h"
#include "ledrow/app/win/DeleteFolder.h"
#include "ledrow/app/win/EntryProperties.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/book/BookEdits.h"
#include "ledrow/book/Reprotect.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/passwords/Parameters.h"
#include "ledrow/passwords/SaveEntry.h"
#include "os/win/RegPolicy.h"
#include "plat/DString.h"
#include "plat/RaisedFlag.h"
#include "plat/win/Unicode.h"
#include "ui/win/MsgBox.h"

#include <windowsx.h>

#include <cstring>

namespace addrbook {

namespace {

const char UpgradePrompt[] = "Please enter your Master Password to upgrade your existing address "
                             "book entries to the new format.";

// The viewer's dialog resources, where the viewer has loaded them into
// this process.
HINSTANCE viewerResources() { return GetModuleHandleW(L"brisklet"); }

// The prompt's text replaced for as long as this lives.
class PromptText {
public:
  PromptText(GetPasswdDlg& prompt, const char* text) : prompt_(prompt), previous_(prompt.prompt()) {
    prompt_.setPrompt(text);
  }
  ~PromptText() { prompt_.setPrompt(previous_.c_str()); }

private:
  GetPasswdDlg& prompt_;
  plat::String previous_;
};

} // namespace

void MainDialog::reportError(const char* text) {
  ui::MsgBox(GetParent(getHandle()), text, MB_OK | MB_ICONERROR);
}

TreeBranch* MainDialog::selectedFolder() {
  TreeNode* node = nodeOf(TreeView_GetSelection(tree_));
  if (node && node->isBranch())
    return static_cast<TreeBranch*>(node);
  if (node && node->getParent())
    return node->getParent();
  return roots_.empty() ? nullptr : roots_.front().get();
}

// New entries and folders.

void MainDialog::newEntry() {
  IdleWork::Hold hold(idleWork_);
  HWND owner = GetParent(getHandle());
  try {
    EncryptedConfig connection;
    os::loadRegPolicy(&connection, HKEY_CURRENT_USER, "KIVViewer4", "Torvane");
    if (showEntryProperties(connection, nullptr, passwords_, owner, viewerResources()))
      saveNewEntry(connection);
  } catch (const plat::Exception& e) {
    reportNewEntryFailure(e.str());
  }
}

void MainDialog::newFolder() {
  TreeBranch* folder = selectedFolder();
  if (!folder)
    return;
  std::string parent = folder->getPath();
  if (alpha)
    setAlphabetic(false);
  try {
    reselectPath_ = makeNewFolder(parent.c_str());
  } catch (const plat::Exception& e) {
    reportError(e.str());
    return;
  }
  editAfterReload_ = true;
  idleWork_.requestReload();
}

// Renaming.

void MainDialog::editLabel() { editLabelOf(TreeView_GetSelection(tree_)); }

void MainDialog::editLabelOf(HTREEITEM item) {
  TreeNode* node = nodeOf(item);
  if (!node || isTopFolder(*node))
    return;
  SetFocus(tree_);
  TreeView_EditLabel(tree_, item);
}

void MainDialog::renameItem(HTREEITEM item, const char* text) {
  TreeNode* node = nodeOf(item);
  if (!text || !node || rebuilding_)
    return;
  IdleWork::Hold hold(idleWork_);
  try {
    std::string path = renameOnDisk(*node, text);
    if (path.empty())
      return;
    reselectPath_ = path;
    idleWork_.requestReload();
  } catch (const plat::Exception& e) {
    reportError(e.str());
  }
}

// Deleting.

void MainDialog::deleteItem(HTREEITEM item, bool ask) {
  TreeNode* node = nodeOf(item);
  if (!node)
    return;
  IdleWork::Hold hold(idleWork_);
  HWND owner = GetParent(getHandle());
  if (isTopFolder(*node)) {
    reportError(TopFolderText);
    return;
  }
  if (ask) {
    plat::DString question;
    question.appendf("Are you sure you want to delete %s%s? This operation cannot be undone.",
                     node->getName(), node->isBranch() ? " and all of its contents" : "");
    if (ui::MsgBox(owner, question.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
  }
  std::string path = node->getPath();
  try {
    if (node->isLeaf()) {
      if (!deleteFile(path.c_str()))
        throw plat::SystemException("Cannot delete file", lastFileError());
    } else {
      bool aborted = false;
      try {
        deleteFolderTree(path.c_str(), owner, &aborted);
      } catch (const plat::Exception&) {
        // Some of it may be gone: the tree shows what is left.
        idleWork_.requestReload();
        throw;
      }
      if (aborted) {
        idleWork_.requestReload();
        return;
      }
    }
  } catch (const plat::Exception& e) {
    reportError(e.str());
    return;
  }
  // Only now that the disk has no such file or folder any more.
  if (reselectPath_ == path)
    reselectPath_.clear();
  idleWork_.requestReload();
}

// Moving by dragging, in the hierarchical view.

void MainDialog::moveNode(TreeNode* node, TreeBranch* target) {
  if (!target && !roots_.empty())
    target = roots_.front().get();
  if (!node || !target)
    return;
  IdleWork::Hold hold(idleWork_);
  try {
    std::string path = moveOnDisk(*node, *target);
    if (path.empty())
      return;
    reselectPath_ = path;
    idleWork_.requestReload();
  } catch (const plat::Exception& e) {
    reportError(e.str());
  }
}

void MainDialog::beginDrag(NMTREEVIEWW* report) {
  HTREEITEM item = report->itemNew.hItem;
  TreeNode* node = nodeOf(item);
  if (!node || isTopFolder(*node) || dragging_)
    return;
  selectItem(item);
  // Without an image the drag still works, unseen.
  dragImage_ = TreeView_CreateDragImage(tree_, item);
  if (dragImage_) {
    ImageList_BeginDrag(dragImage_, 0, 7, 7);
    ImageList_DragEnter(tree_, report->ptDrag.x, report->ptDrag.y);
  }
  dragging_ = true;
  dragHold_.reset(new IdleWork::Hold(idleWork_));
  SetCapture(tree_);
}

void MainDialog::dropTarget(int x, int y, TreeBranch** target, HTREEITEM* item) {
  *target = nullptr;
  *item = nullptr;
  TVHITTESTINFO hit = {};
  hit.pt = POINT{x, y};
  HTREEITEM under = TreeView_HitTest(tree_, &hit);
  TreeNode* node = (hit.flags & TVHT_ONITEM) ? nodeOf(under) : nullptr;
  if (!node)
    return;
  if (node->isBranch()) {
    *target = static_cast<TreeBranch*>(node);
    *item = under;
  } else {
    *target = node->getParent();
    *item = TreeView_GetParent(tree_, under);
  }
}

void MainDialog::dragOver(int x, int y) {
  TreeBranch* target;
  HTREEITEM item;
  dropTarget(x, y, &target, &item);
  ImageList_DragMove(x, y);
  ImageList_DragShowNolock(FALSE);
  TreeView_SelectDropTarget(tree_, item);
  RECT window;
  GetWindowRect(tree_, &window);
  if (y + 20 >= window.bottom - window.top)
    SendMessageW(tree_, WM_VSCROLL, SB_LINEDOWN, 0);
  else if (y <= 20)
    SendMessageW(tree_, WM_VSCROLL, SB_LINEUP, 0);
  ImageList_DragShowNolock(TRUE);
}

void MainDialog::endDrag() {
  if (!dragging_)
    return;
  dragging_ = false; // before the capture goes: its loss ends a drag
  if (dragImage_) {
    ImageList_EndDrag();
    ImageList_Destroy(dragImage_);
    dragImage_ = nullptr;
  }
  ReleaseCapture();
  TreeView_SelectDropTarget(tree_, nullptr);
  dragHold_.reset();
}

void MainDialog::drop(int x, int y) {
  TreeBranch* target;
  HTREEITEM item;
  dropTarget(x, y, &target, &item);
  endDrag();
  RECT client;
  GetClientRect(tree_, &client);
  TreeNode* dragged = nodeOf(TreeView_GetSelection(tree_));
  if (x > client.left && x < client.right && y > client.top && y < client.bottom && dragged)
    moveNode(dragged, target);
}

LRESULT MainDialog::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_MOUSEMOVE:
    if (dragging_)
      dragOver(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    break;
  case WM_LBUTTONUP:
    if (dragging_)
      drop(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    break;
  case WM_CAPTURECHANGED:
    endDrag();
    break;
  case WM_HSCROLL:
  case WM_VSCROLL:
    TreeView_EndEditLabelNow(hwnd, TRUE);
    break;
  case WM_SYSKEYDOWN:
    if (wParam == VK_RETURN) {
      showProperties();
      return 0;
    }
    break;
  }
  return ui::SubclassWindow::callOriginalProc(hwnd, message, wParam, lParam);
}

// Properties.

void MainDialog::showProperties() {
  TreeLeaf* entry = selectedEntry();
  if (!entry)
    return;
  IdleWork::Hold hold(idleWork_);
  HWND owner = GetParent(getHandle());
  try {
    if (!entry->isReadable())
      throw plat::Exception(CorruptEntryText);
    EncryptedConfig edited;
    edited = entry->config();
    if (!showEntryProperties(edited, entry->getName(), passwords_, owner, viewerResources()) ||
        !saveEntry(edited, passwords_, owner))
      return;
    reselectPath_ = entry->getPath();
    idleWork_.requestReload();
  } catch (const plat::Exception& e) {
    reportError(e.str());
  }
}

// Upgrading entries of older forms.

void MainDialog::passwordChanged(bool forgotten) {
  if (passwordListener_)
    passwordListener_->passwordChanged(forgotten);
  if (!forgotten)
    PostMessageW(getHandle(), WM_APP_UPGRADE, 0, 0);
}

void MainDialog::upgradeEntries() {
  // The password this run asks for is stored, which asks for an upgrade
  // again; the boxes of this run would let it run inside them.
  if (upgrading_)
    return;
  std::vector<TreeLeaf*> locked, due;
  for (const std::unique_ptr<TreeBranch>& root : roots_)
    root->collectEncryptedLeaves(&locked);
  plat::String verifier = masterPassword.getValueStr();
  for (TreeLeaf* leaf : locked)
    if (leaf->isReadable() && needsUpgrade(leaf->config(), verifier.c_str()))
      due.push_back(leaf);
  if (due.empty())
    return;
  IdleWork::Hold hold(idleWork_);
  plat::RaisedFlag running(upgrading_);
  try {
    ZeroingBuffer master;
    {
      PromptText text(prompts_.prompt(), UpgradePrompt);
      master = passwords_.getPassword(GetParent(getHandle()));
    }
    if (!master.c_str())
      return; // asked again at the next start, or when a password is given
    std::string failures;
    int upgraded = addrbook::upgradeEntries(due, master.c_str(), &failures);
    if (!failures.empty())
      reportError(failures.c_str());
    if (upgraded > 0)
      ui::MsgBox(GetParent(getHandle()), "Upgrade complete.", MB_OK | MB_ICONINFORMATION);
  } catch (const plat::Exception& e) {
    reportError(e.str());
  }
}

// The alphabetic view's groups and the context menu.

void MainDialog::toggleHeader(HTREEITEM header) {
  TreeView_Expand(tree_, header, TVE_TOGGLE);
  bool expanded = (TreeView_GetItemState(tree_, header, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  noteExpansion(header, expanded);
  selectItem(header);
}

void MainDialog::noteExpansion(HTREEITEM header, bool expanded) {
  if (!alpha || quietExpansion_ || TreeView_GetParent(tree_, header))
    return;
  wchar_t key[2] = {};
  TVITEMW data = {};
  data.mask = TVIF_TEXT;
  data.hItem = header;
  data.pszText = key;
  data.cchTextMax = 2;
  if (!TreeView_GetItem(tree_, &data))
    return;
  plat::String character = plat::String::adopt(plat::W2MB(key));
  std::string list = contractedList.getValueStr().c_str();
  if (expanded) {
    if (singleItemExpand) {
      quietExpansion_ = true;
      for (HTREEITEM other = TreeView_GetRoot(tree_); other;
           other = TreeView_GetNextSibling(tree_, other))
        if (other != header)
          TreeView_Expand(tree_, other, TVE_COLLAPSE);
      quietExpansion_ = false;
    }
    for (size_t at; (at = list.find(character.c_str())) != std::string::npos;)
      list.erase(at, character.length());
  } else if (list.find(character.c_str()) == std::string::npos) {
    list += character.c_str();
  }
  contractedList.setParam(list.c_str(), plat::PriorityUser);
  InvalidateRect(tree_, nullptr, FALSE);
}

void MainDialog::openContextMenu(LPARAM position) {
  POINT at = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  HTREEITEM item;
  if (at.x == -1 && at.y == -1) {
    item = TreeView_GetSelection(tree_);
    RECT text;
    if (!item || !TreeView_GetItemRect(tree_, item, &text, TRUE))
      return;
    at = POINT{text.left + 15, text.top + 8};
    ClientToScreen(tree_, &at);
  } else {
    TVHITTESTINFO hit = {};
    hit.pt = at;
    ScreenToClient(tree_, &hit.pt);
    item = TreeView_HitTest(tree_, &hit);
    selectItem(item);
  }
  TreeNode* node = nodeOf(item);
  if (!node)
    return;
  IdleWork::Hold hold(idleWork_);
  HMENU menu = LoadMenuW(getInstance(), MAKEINTRESOURCEW(IDR_TREE_MENU));
  if (!menu) {
    reportError(plat::SystemException("LoadMenu", (int)GetLastError()).str());
    return;
  }
  HMENU popup = GetSubMenu(menu, 0);
  bool entry = node->isLeaf();
  bool fixed = isTopFolder(*node);
  auto enable = [&](int id, bool on) { EnableMenuItem(popup, id, on ? MF_ENABLED : MF_GRAYED); };
  enable(ID_CONNECT, entry);
  enable(ID_TREE_PROPERTIES, entry);
  enable(ID_TREE_IMPORT, !entry);
  enable(ID_TREE_RENAME, !fixed);
  enable(ID_TREE_DELETE, !fixed);
  if (entry)
    SetMenuDefaultItem(popup, ID_CONNECT, FALSE);
  int chosen = TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, getHandle(),
                              nullptr);
  DestroyMenu(menu);
  if (chosen)
    SendMessageW(getHandle(), WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

} // namespace addrbook
