#include "ledrow/app/win/QuickLaunchDlg.h"
#include "ledrow/app/win/AppMessages.h"
#include "ledrow/app/win/MainDialog.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/book/TreeLeaf.h"
#include "os/win/MonitorInfo.h"
#include "plat/win/Unicode.h"
#include "ui/win/AutoComplete.h"

#include <shellapi.h>

namespace addrbook {

namespace {

Box boxOf(const RECT& r) { return Box{r.left, r.top, r.right, r.bottom}; }

// The taskbar's edge and rectangle, when there is a taskbar.
TaskbarEdge findTaskbar(Box* taskbar) {
  APPBARDATA data = {};
  data.cbSize = sizeof(data);
  data.hWnd = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!data.hWnd || !SHAppBarMessage(ABM_GETTASKBARPOS, &data))
    return NoTaskbar;
  *taskbar = boxOf(data.rc);
  switch (data.uEdge) {
  case ABE_LEFT:
    return LeftEdge;
  case ABE_TOP:
    return TopEdge;
  case ABE_RIGHT:
    return RightEdge;
  default:
    return BottomEdge;
  }
}

} // namespace

QuickLaunchDlg::QuickLaunchDlg(MainDialog* book)
    : Dialog(IDD_QUICK_LAUNCH), book_(book), anchor_(), closing_(false), chosen_(nullptr),
      launchTyped_(false) {}

QuickLaunchDlg::~QuickLaunchDlg() {}

void QuickLaunchDlg::show(HWND owner, POINT point) {
  // The list points at the book's nodes until the launch is done.
  IdleWork::Hold hold(book_->idleWork());
  anchor_ = point;
  chosen_ = nullptr;
  launchTyped_ = false;
  typed_.clear();
  bool launch = runModal(owner);
  completion_.reset();
  items_.clear();
  names_.clear();
  if (!launch)
    return;
  if (chosen_)
    book_->launchEntry(chosen_);
  else if (launchTyped_)
    book_->launcher().startViewerOrReport(typed_.c_str(), owner);
}

HWND QuickLaunchDlg::edit() const {
  return (HWND)SendMessageW(combo_.getHandle(), CBEM_GETEDITCONTROL, 0, 0);
}

bool QuickLaunchDlg::onInitDialog() {
  closing_ = false;
  combo_.wrap(getDlgItem(IDC_QUICK_SERVER));
  combo_.setImageList(book_->treeImageList());
  RECT r;
  GetWindowRect(getHandle(), &r);
  Box taskbar = {};
  TaskbarEdge edge = findTaskbar(&taskbar);
  os::MonitorInfo monitor(RECT{anchor_.x, anchor_.y, anchor_.x + 1, anchor_.y + 1});
  Box at = placePopup(anchor_.x, anchor_.y, edge, taskbar, r.right - r.left, r.bottom - r.top,
                      boxOf(monitor.workArea()));
  SetWindowPos(getHandle(), HWND_TOPMOST, at.left, at.top, 0, 0, SWP_NOSIZE);
  SetFocus(combo_.getHandle());
  return true;
}

void QuickLaunchDlg::onShow() { fill(); }

void QuickLaunchDlg::fill() {
  combo_.clear();
  items_.clear();
  names_.clear();
  std::vector<std::string> names;
  const std::vector<std::unique_ptr<TreeBranch>>& roots = book_->roots();
  if (roots.size() == 1)
    addNodes(*roots[0], 0, &names);
  else
    for (const std::unique_ptr<TreeBranch>& root : roots) {
      items_.push_back(root.get());
      plat::WString name(root->getName());
      COMBOBOXEXITEMW item = {};
      item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
      item.iItem = -1;
      item.pszText = (wchar_t*)name.c_str();
      item.iImage = item.iSelectedImage = MainDialog::FolderImage;
      SendMessageW(combo_.getHandle(), CBEM_INSERTITEMW, 0, (LPARAM)&item);
      addNodes(*root, 1, &names);
    }
  try {
    completion_.reset(new ui::AutoComplete(edit(), names));
  } catch (const plat::Exception&) {
    // Typing still works, only without suggestions.
  }
}

void QuickLaunchDlg::addNodes(const TreeBranch& branch, int depth,
                              std::vector<std::string>* names) {
  for (TreeNode* node : branch.children()) {
    bool folder = node->isBranch();
    items_.push_back(node);
    plat::WString name(node->getName());
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
    item.iItem = -1;
    item.pszText = (wchar_t*)name.c_str();
    item.iIndent = depth;
    item.iImage = item.iSelectedImage =
        folder ? MainDialog::FolderImage
        : static_cast<TreeLeaf*>(node)->isProtected() ? MainDialog::ProtectedImage
                                                               : MainDialog::EntryImage;
    SendMessageW(combo_.getHandle(), CBEM_INSERTITEMW, 0, (LPARAM)&item);
    if (folder) {
      addNodes(*static_cast<TreeBranch*>(node), depth + 1, names);
    } else {
      // The first of equal names is the one a typed name finds.
      names_.insert({node->getName(), static_cast<TreeLeaf*>(node)});
      names->push_back(node->getName());
    }
  }
}

TreeLeaf* QuickLaunchDlg::entryNamed(const char* name) const {
  auto found = names_.find(name);
  return found == names_.end() ? nullptr : found->second;
}

bool QuickLaunchDlg::onCommand(int id, int code) {
  if (id != IDC_QUICK_SERVER || code != CBN_SELENDOK)
    return false;
  int index = combo_.getCurSel();
  if (index < 0 || index >= (int)items_.size())
    return true;
  if (items_[index]->isLeaf()) {
    // Once the combo box is done with its own notification.
    PostMessageW(getHandle(), WM_APP_LAUNCH_ITEM, index, 0);
  } else {
    combo_.setCurSel(-1);
    MessageBeep(MB_OK);
  }
  return true;
}

void QuickLaunchDlg::close(bool launch) {
  closing_ = true;
  end(launch);
}

bool QuickLaunchDlg::apply() {
  int length = GetWindowTextLengthW(edit());
  std::wstring text(length + 1, 0);
  GetWindowTextW(edit(), &text[0], length + 1);
  plat::String typed = plat::String::adopt(plat::W2MB(text.c_str()));
  chosen_ = entryNamed(typed.c_str());
  if (!chosen_) {
    typed_ = typed.c_str();
    launchTyped_ = true;
  }
  closing_ = true;
  return true;
}

bool QuickLaunchDlg::onCancel() {
  closing_ = true;
  return true;
}

INT_PTR QuickLaunchDlg::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_APP_LAUNCH_ITEM:
    if ((size_t)wParam < items_.size() && items_[wParam]->isLeaf() && !closing_) {
      chosen_ = static_cast<TreeLeaf*>(items_[wParam]);
      close(true);
    }
    return 1;
  case WM_ACTIVATE:
    // A click elsewhere closes it; so does its own ending, once.
    if (LOWORD(wParam) == WA_INACTIVE && !closing_)
      close(false);
    return 0;
  default:
    return Dialog::handleMessage(hwnd, message, wParam, lParam);
  }
}

} // namespace addrbook
