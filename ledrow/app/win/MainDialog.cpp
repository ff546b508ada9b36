#include "ledrow/app/win/MainDialog.h"
#include "ledrow/app/EntrySummary.h"
#include "ledrow/app/NewEntryName.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/win/AppMessages.h"
#include "ledrow/app/win/BookFolders.h"
#include "ledrow/app/win/PasswordBehaviourDlg.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/app/win/SettingsKey.h"
#include "ledrow/book/BookEdits.h"
#include "ledrow/book/FolderScan.h"
#include "ledrow/book/TreeLeaf.h"
#include "os/win/StartupValues.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"
#include "plat/RaisedFlag.h"
#include "plat/win/Unicode.h"
#include "ui/win/MsgBox.h"

#include <algorithm>
#include <map>
#include <string>

namespace addrbook {

plat::LogWriter mainDialogLog("MainDialog");

namespace {

// The details pane's rows: label and value.
const int detailRows[4][2] = {{IDC_SERVER_LABEL, IDC_SERVER},
                              {IDC_ENCRYPTION_LABEL, IDC_ENCRYPTION},
                              {IDC_USERNAME_LABEL, IDC_USERNAME},
                              {IDC_OPTIONS_LABEL, IDC_OPTIONS}};

// The toolbar's buttons: image name "0" to "4", text, icon.
struct ToolInfo {
  const char* text;
  int icon;
};
const ToolInfo tools[MainDialog::ToolCount] = {{"New Entry", IDI_NEW_ENTRY},
                                               {"New Folder", IDI_NEW_FOLDER},
                                               {"Properties", IDI_PROPERTIES},
                                               {"Delete", IDI_DELETE},
                                               {"Connect", IDI_CONNECT}};

const COLORREF maskColour = RGB(255, 0, 255);

// Pixels at the screen's resolution for a length given at 96 DPI.

int toolSize() { return os::dpiScaled(std::max((int)toolbarIconSize, 16)); }

void place(HWND control, int x, int y, int width, int height) {
  SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT rectIn(HWND control, HWND parent) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
  return r;
}

void setWindowText(HWND window, const char* text) {
  plat::WString wide(text);
  SetWindowTextW(window, wide.c_str());
}

// The icon in shades of grey, faded, as a disabled button shows it.
void addGreyIcon(HIMAGELIST list, HINSTANCE instance, int iconId) {
  int cx, cy;
  ImageList_GetIconSize(list, &cx, &cy);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = cx;
  info.bmiHeader.biHeight = -cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HICON icon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, cx, cy, 0);
  if (!bitmap || !icon)
    throw plat::SystemException("ImageList_AddIcon", (int)GetLastError());
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DrawIconEx(dc, 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
  SelectObject(dc, old);
  DeleteDC(dc);
  DestroyIcon(icon);
  uint8_t* pixel = (uint8_t*)bits;
  for (int i = 0; i < cx * cy; i++, pixel += 4) {
    uint8_t grey = (uint8_t)((pixel[0] * 11 + pixel[1] * 59 + pixel[2] * 30) / 100);
    pixel[0] = pixel[1] = pixel[2] = grey / 2;
    pixel[3] = pixel[3] / 2;
  }
  ImageList_Add(list, bitmap, nullptr);
  DeleteObject(bitmap);
}

int entryImage(const TreeLeaf* entry) {
  return entry->isProtected() ? MainDialog::ProtectedImage : MainDialog::EntryImage;
}

} // namespace

MainDialog::MainDialog(HWND parent, Frame* frame, PasswdStoreBase::PWSCallback* passwordListener)
    : ChildDialog(parent, MAKEINTRESOURCEW(IDD_MAIN_DIALOG)), frame_(frame),
      tree_(getDlgItem(IDC_TREE)), tabs_(getDlgItem(IDC_TABS)),
      detailsBox_(getDlgItem(IDC_DETAILS)), treeImages_(16, 16, 0, true, 8),
      toolImages_(toolSize(), toolSize(), 0, true, 32),
      disabledImages_(toolSize(), toolSize(), 0, false, 32), toolbar_(toolImages_.handle(), this, this),
      tools_(), greyPen_(CreatePen(PS_SOLID, 1, RGB(0xC8, 0xC8, 0xC8))),
      blackPen_(CreatePen(PS_SOLID, 1, RGB(0, 0, 0))),
      collapsedMark_(LoadBitmapW(getInstance(), MAKEINTRESOURCEW(IDB_GROUP_COLLAPSED))),
      expandedMark_(LoadBitmapW(getInstance(), MAKEINTRESOURCEW(IDB_GROUP_EXPANDED))),
      rebuilding_(false), quietExpansion_(false), editAfterReload_(false), newEntryBoxOpen_(false),
      labelEditing_(false),
      treeHook_(this),
      dragImage_(nullptr), dragging_(false), upgrading_(false), passwordListener_(passwordListener),
      passwords_(&prompts_, &prompts_), launcher_(&passwords_), idleWork_(this) {
  setWindowText(getDlgItem(IDC_SERVER_LABEL), "Kiv Server:");
  treeImages_.addMasked(LoadBitmapW(getInstance(), MAKEINTRESOURCEW(IDB_TREE)), maskColour, true);
  TreeView_SetImageList(tree_, treeImages_.handle(), TVSIL_NORMAL);

  for (const ToolInfo& tool : tools) {
    toolImages_.addIcon(getInstance(), tool.icon);
    addGreyIcon(disabledImages_.handle(), getInstance(), tool.icon);
  }
  toolbar_.attach(getHandle());
  HWND bar = toolbar_.toolbarWindow();
  // No line above the buttons: the toolbar keeps to its container's height.
  SetWindowLongPtrW(bar, GWL_STYLE, GetWindowLongPtrW(bar, GWL_STYLE) | CCS_NODIVIDER);
  // Not every system greys colour images by itself.
  SendMessageW(bar, TB_SETDISABLEDIMAGELIST, 0, (LPARAM)disabledImages_.handle());
  for (int i = 0; i < ToolCount; i++) {
    char name[2] = {(char)('0' + i), 0};
    // Drawn by the toolbar, so that a disabled button looks disabled.
    tools_[i] = toolbar_.addItem(name, tools[i].text, nullptr, nullptr, 1);
    // Properties, Delete and Connect follow the selection.
    tools_[i]->setEnabled(i == NewEntryTool || i == NewFolderTool);
  }

  const wchar_t* tabNames[] = {L"Alphabetic", L"Hierarchical"};
  for (int i = 0; i < 2; i++) {
    TCITEMW tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = (wchar_t*)tabNames[i];
    TabCtrl_InsertItem(tabs_, i, &tab);
  }
  // The tree sits on the tab control and paints over it.
  SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  LOGFONTW font;
  HFONT dialogFont = (HFONT)SendMessageW(getHandle(), WM_GETFONT, 0, 0);
  if (dialogFont && GetObjectW(dialogFont, sizeof(font), &font)) {
    font.lfWeight = FW_BOLD;
    boldFont_.set(CreateFontIndirectW(&font), false);
  }

  RECT box;
  GetClientRect(detailsBox_, &box);
  detailsHeight_ = box.bottom;
  RECT first = rectIn(getDlgItem(IDC_SERVER), getHandle());
  RECT second = rectIn(getDlgItem(IDC_ENCRYPTION), getHandle());
  valueLeft_ = first.left;
  rowPitch_ = second.top - first.top;

  treeHook_.subclass(tree_);
  passwords_.setCallback(this);
  setAlphabetic(alpha);
}

MainDialog::~MainDialog() {
  // The tree view's items point at the nodes: the window goes first.
  rebuilding_ = true;
  endDrag();
  destroy();
  try {
    settingsKey().setString(contractedList.getName(), contractedList.getValueStr().c_str());
    settingsKey().setBool(alpha.getName(), alpha);
  } catch (const plat::Exception&) {
    // Only the view's look is lost.
  }
  passwords_.setCallback(nullptr);
  DeleteObject(greyPen_);
  DeleteObject(blackPen_);
  DeleteObject(collapsedMark_);
  DeleteObject(expandedMark_);
}

int MainDialog::imageIndex(const char* itemName) { return itemName[0] - '0'; }

void MainDialog::action(ui::Menu::Item* item) {
  if (item == tools_[NewEntryTool]) {
    newEntry();
  } else if (item == tools_[NewFolderTool]) {
    newFolder();
  } else if (item == tools_[PropertiesTool]) {
    showProperties();
  } else if (item == tools_[DeleteTool]) {
    deleteItem(TreeView_GetSelection(tree_), true);
  } else if (item == tools_[ConnectTool]) {
    if (TreeLeaf* entry = selectedEntry())
      launchEntry(entry);
  }
}

// Loading and showing the book.

void MainDialog::deleteAllItems() {
  // A label edit left open would end on an item that is gone.
  TreeView_EndEditLabelNow(tree_, TRUE);
  rebuilding_ = true;
  TreeView_DeleteAllItems(tree_);
  rebuilding_ = false;
}

void MainDialog::loadTree() {
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  selectionChanged(nullptr);
  deleteAllItems();
  roots_.clear();
  for (const std::string& folder : bookFolders()) {
    std::unique_ptr<TreeBranch> root(new TreeBranch(folder.c_str(), nullptr));
    scanFolder(root.get());
    roots_.push_back(std::move(root));
  }
  std::stable_sort(roots_.begin(), roots_.end(),
                   [](const std::unique_ptr<TreeBranch>& a, const std::unique_ptr<TreeBranch>& b) {
                     return TreeNode::lessThan(a.get(), b.get());
                   });
  size_t count = 0;
  for (const std::unique_ptr<TreeBranch>& root : roots_)
    count += root->allLeaves().size();
  frame_->setEntryCount((int)count);
  SetCursor(previous);
  frame_->buildTrayMenu();
}

HTREEITEM MainDialog::insertItem(HTREEITEM parent, HTREEITEM after, const char* text, int image,
                                 LPARAM data, bool expanded) {
  plat::WString wide(text);
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
  insert.item.pszText = (wchar_t*)wide.c_str();
  insert.item.iImage = insert.item.iSelectedImage = image;
  insert.item.lParam = data;
  insert.item.state = expanded ? TVIS_EXPANDED : 0;
  insert.item.stateMask = TVIS_EXPANDED;
  return (HTREEITEM)SendMessageW(tree_, TVM_INSERTITEMW, 0, (LPARAM)&insert);
}

void MainDialog::fillHierarchical(const TreeBranch& branch, HTREEITEM parent, const char* path,
                                  HTREEITEM* found) {
  for (TreeNode* node : branch.children()) {
    bool folder = node->isBranch();
    HTREEITEM item =
        insertItem(parent, TVI_LAST, node->getName(),
                   folder ? FolderImage : entryImage(static_cast<TreeLeaf*>(node)), (LPARAM)node,
                   folder);
    if (path && strcmp(node->getPath(), path) == 0)
      *found = item;
    if (folder) {
      fillHierarchical(*static_cast<TreeBranch*>(node), item, path, found);
      TreeView_Expand(tree_, item, TVE_EXPAND);
    }
  }
}

void MainDialog::fillAlphabetic(const char* path, HTREEITEM* found) {
  // The wide names side by side in one buffer: a string of its own for
  // each would cost an allocation an entry, all held while the tree fills.
  std::wstring names;
  struct Named {
    size_t at;
    TreeLeaf* entry;
  };
  std::map<wchar_t, std::vector<Named>> groups;
  for (const std::unique_ptr<TreeBranch>& root : roots_) {
    for (TreeLeaf* entry : root->allLeaves()) {
      size_t at = names.size();
      names += plat::WString(entry->getName()).c_str();
      names += L'\0';
      wchar_t key = names[at];
      if (key >= L'a' && key <= L'z')
        key = key - L'a' + L'A';
      groups[key].push_back(Named{at, entry});
    }
  }
  plat::String contracted = contractedList.getValueStr();
  for (auto& group : groups) {
    wchar_t text[2] = {group.first, 0};
    plat::String key = plat::String::adopt(plat::W2MB(text));
    bool expanded = !strstr(contracted.c_str(), key.c_str());
    HTREEITEM header = insertItem(TVI_ROOT, TVI_SORT, key.c_str(), HeaderImage,
                                  (LPARAM)group.second.size(), false);
    // In the order the tree view's own sorting gives, added at the end:
    // sorting each insertion would take time in the square of the group.
    std::stable_sort(group.second.begin(), group.second.end(),
                     [&names](const Named& a, const Named& b) {
                       return lstrcmpiW(&names[a.at], &names[b.at]) < 0;
                     });
    for (const Named& named : group.second) {
      HTREEITEM item = insertItem(header, TVI_LAST, named.entry->getName(),
                                  entryImage(named.entry), (LPARAM)named.entry, false);
      if (path && strcmp(named.entry->getPath(), path) == 0)
        *found = item;
    }
    if (expanded)
      TreeView_Expand(tree_, header, TVE_EXPAND);
  }
}

void MainDialog::refreshTree(const char* path) {
  deleteAllItems();
  HTREEITEM found = nullptr;
  quietExpansion_ = true;
  if (alpha) {
    fillAlphabetic(path, &found);
  } else if (roots_.size() == 1) {
    fillHierarchical(*roots_[0], TVI_ROOT, path, &found);
  } else {
    for (const std::unique_ptr<TreeBranch>& root : roots_) {
      HTREEITEM item =
          insertItem(TVI_ROOT, TVI_LAST, root->getName(), FolderImage, (LPARAM)root.get(), true);
      if (path && strcmp(root->getPath(), path) == 0)
        found = item;
      fillHierarchical(*root, item, path, &found);
      TreeView_Expand(tree_, item, TVE_EXPAND);
    }
  }
  quietExpansion_ = false;
  if (found && alpha)
    TreeView_EnsureVisible(tree_, found);
  selectItem(found);
}

void MainDialog::selectItem(HTREEITEM item) {
  rebuilding_ = true;
  TreeView_SelectItem(tree_, item);
  rebuilding_ = false;
  selectionChanged(item);
  mainDialogLog.write(100, "Selecting item %08llx", (unsigned long long)(uintptr_t)item);
}

void MainDialog::setAlphabetic(bool alphabetic) {
  selectionChanged(nullptr);
  alpha.setValue(alphabetic, plat::PriorityUser);
  TabCtrl_SetCurSel(tabs_, alphabetic ? 0 : 1);
  LONG_PTR style = GetWindowLongPtrW(tree_, GWL_STYLE);
  const LONG_PTR lines = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
  if (alphabetic)
    style = (style & ~lines) | TVS_DISABLEDRAGDROP;
  else
    style = (style & ~TVS_DISABLEDRAGDROP) | lines;
  SetWindowLongPtrW(tree_, GWL_STYLE, style);
  refreshTree(nullptr);
}

TreeNode* MainDialog::nodeOf(HTREEITEM item) {
  if (!item)
    return nullptr;
  TVITEMW data = {};
  data.mask = TVIF_PARAM | TVIF_IMAGE;
  data.hItem = item;
  if (!TreeView_GetItem(tree_, &data) || data.iImage == HeaderImage)
    return nullptr;
  return (TreeNode*)data.lParam;
}

TreeLeaf* MainDialog::selectedEntry() {
  TreeNode* node = nodeOf(TreeView_GetSelection(tree_));
  return node && node->isLeaf() ? static_cast<TreeLeaf*>(node) : nullptr;
}

void MainDialog::selectionChanged(HTREEITEM item) {
  TreeNode* node = nodeOf(item);
  TreeLeaf* entry = node && node->isLeaf() ? static_cast<TreeLeaf*>(node) : nullptr;
  bool editableFolder = node && node->isBranch() && !alpha && !isTopFolder(*node);
  frame_->updateEditMenu(entry != nullptr, editableFolder);
  tools_[PropertiesTool]->setEnabled(entry != nullptr);
  tools_[DeleteTool]->setEnabled(entry || editableFolder);
  tools_[ConnectTool]->setEnabled(entry != nullptr);
  showDetails(entry);
}

void MainDialog::showDetails(TreeLeaf* entry) {
  for (const int* row : detailRows)
    setWindowText(getDlgItem(row[1]), "");
  mainDialogLog.write(100, "Setting Summary for treeLeaf %p\n", (void*)entry);
  if (!entry)
    return;
  try {
    if (!entry->isReadable())
      throw plat::Exception("Entry not readable");
    EncryptedConfig& config = entry->config();
    setWindowText(getDlgItem(IDC_SERVER), config.getHost() ? config.getHost() : "");
    setWindowText(getDlgItem(IDC_ENCRYPTION), config.encryption.getValueStr().c_str());
    setWindowText(getDlgItem(IDC_USERNAME), config.userName.getValueStr().c_str());
    setWindowText(getDlgItem(IDC_OPTIONS), optionsSummary(config).c_str());
  } catch (const plat::Exception& e) {
    mainDialogLog.error("%s", e.str());
    IdleWork::Hold hold(idleWork_);
    if (ui::MsgBox(GetParent(getHandle()),
                   "The address book entry you have selected is corrupt. Would you like to "
                   "delete it?",
                   MB_YESNO | MB_ICONERROR) == IDYES)
      deleteItem(TreeView_GetSelection(tree_), false);
    selectItem(nullptr);
  }
}

// Layout and drawing.

void MainDialog::layoutControls(int width, int height) {
  int top = os::dpiScaled(6);
  if (toolbar) {
    SIZE size = toolbar_.getSize();
    size.cx = width;
    toolbar_.setSize(size);
    top = toolbar_.getSize().cy + os::dpiScaled(6);
  }
  int details = addrbook::details ? detailsHeight_ : 0;
  place(tabs_, os::dpiScaled(6), top, width - os::dpiScaled(12), height - os::dpiScaled(12) - details - top);
  place(tree_, os::dpiScaled(12), top + os::dpiScaled(32), width - os::dpiScaled(24), height - os::dpiScaled(12) - details - top - os::dpiScaled(38));
  if (addrbook::details) {
    int boxTop = height - os::dpiScaled(6) - detailsHeight_;
    place(detailsBox_, os::dpiScaled(6), boxTop, width - os::dpiScaled(12), detailsHeight_);
    for (int k = 0; k < 4; k++) {
      int y = boxTop + (k + 1) * rowPitch_;
      place(getDlgItem(detailRows[k][0]), os::dpiScaled(18), y, valueLeft_ - os::dpiScaled(18), rowPitch_);
      place(getDlgItem(detailRows[k][1]), valueLeft_, y, width - valueLeft_ - os::dpiScaled(18), rowPitch_);
    }
  } else {
    place(detailsBox_, width + 1, height + 1, 1, 1);
    for (const int* row : detailRows)
      for (int i = 0; i < 2; i++)
        place(getDlgItem(row[i]), width + 1, height + 1, 1, 1);
  }
}

void MainDialog::applyToolbar() {
  if (toolbar)
    toolbar_.show();
  else
    toolbar_.hide();
  applyDetails();
}

void MainDialog::applyDetails() {
  InvalidateRect(detailsBox_, nullptr, TRUE);
  InvalidateRect(tree_, nullptr, TRUE);
  RECT client;
  GetClientRect(getHandle(), &client);
  layoutControls(client.right, client.bottom);
}

LRESULT MainDialog::customDraw(NMTVCUSTOMDRAW* draw) {
  NMCUSTOMDRAW& cd = draw->nmcd;
  if (cd.dwDrawStage == CDDS_PREPAINT) {
    if (TreeView_GetCount(tree_) == 0) {
      HGDIOBJ old = SelectObject(cd.hdc, (HFONT)SendMessageW(tree_, WM_GETFONT, 0, 0));
      RECT r = {6, 6, 200, 200};
      DrawTextW(cd.hdc, L"Your address book is empty", -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
      SelectObject(cd.hdc, old);
      return CDRF_SKIPDEFAULT;
    }
    return alpha ? CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
  }
  if (cd.dwDrawStage == CDDS_ITEMPREPAINT && alpha &&
      !TreeView_GetParent(tree_, (HTREEITEM)cd.dwItemSpec)) {
    drawHeader(draw);
    return CDRF_SKIPDEFAULT;
  }
  return CDRF_DODEFAULT;
}

void MainDialog::drawHeader(NMTVCUSTOMDRAW* draw) {
  HDC dc = draw->nmcd.hdc;
  RECT r = draw->nmcd.rc;
  HTREEITEM item = (HTREEITEM)draw->nmcd.dwItemSpec;
  wchar_t key[2] = {};
  TVITEMW data = {};
  data.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
  data.hItem = item;
  data.pszText = key;
  data.cchTextMax = 2;
  data.stateMask = TVIS_EXPANDED;
  TreeView_GetItem(tree_, &data);
  bool selected = TreeView_GetSelection(tree_) == item;
  int middle = (r.top + r.bottom) / 2;
  int left = r.left + os::dpiScaled(24);

  HGDIOBJ oldPen = SelectObject(dc, selected ? blackPen_ : greyPen_);
  MoveToEx(dc, r.left + os::dpiScaled(6), middle, nullptr);
  LineTo(dc, r.left + os::dpiScaled(18), middle);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));

  HFONT normal = (HFONT)SendMessageW(tree_, WM_GETFONT, 0, 0);
  HGDIOBJ oldFont = SelectObject(dc, boldFont_.handle() ? boldFont_.handle() : normal);
  RECT keyRect = {left, r.top, r.right, r.bottom};
  DrawTextW(dc, key, -1, &keyRect, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  SIZE m;
  GetTextExtentPoint32W(dc, L"M", 1, &m);
  SelectObject(dc, normal);
  wchar_t count[32];
  swprintf(count, 32, L" (%i)", (int)data.lParam);
  RECT countRect = {left + m.cx, r.top, r.right, r.bottom};
  DrawTextW(dc, count, -1, &countRect, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  SIZE countSize;
  GetTextExtentPoint32W(dc, count, (int)wcslen(count), &countSize);
  MoveToEx(dc, countRect.left + countSize.cx + os::dpiScaled(6), middle, nullptr);
  LineTo(dc, r.right - os::dpiScaled(24), middle);

  BITMAP mark;
  GetObjectW(collapsedMark_, sizeof(mark), &mark);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ oldBitmap =
      SelectObject(memory, (data.state & TVIS_EXPANDED) ? expandedMark_ : collapsedMark_);
  BitBlt(dc, r.right - os::dpiScaled(18), (r.top + r.bottom - mark.bmHeight) / 2, mark.bmWidth,
         mark.bmHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteDC(memory);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
}

// Messages.

bool MainDialog::onNotify(NMHDR* header, LRESULT* result) {
  *result = 0;
  if (header->hwndFrom == tabs_) {
    if (header->code != TCN_SELCHANGE)
      return false;
    setAlphabetic(TabCtrl_GetCurSel(tabs_) == 0);
    return true;
  }
  if (header->hwndFrom != tree_)
    return false;
  switch (header->code) {
  case TVN_SELCHANGEDW:
    if (!rebuilding_)
      selectionChanged(((NMTREEVIEWW*)header)->itemNew.hItem);
    return true;
  case TVN_BEGINDRAGW:
    beginDrag((NMTREEVIEWW*)header);
    return true;
  case TVN_ITEMEXPANDEDW: {
    NMTREEVIEWW* report = (NMTREEVIEWW*)header;
    noteExpansion(report->itemNew.hItem, (report->action & TVE_EXPAND) != 0);
    return true;
  }
  case TVN_BEGINLABELEDITW: {
    // Group headers and top folders keep their names.
    TreeNode* node = nodeOf(((NMTVDISPINFOW*)header)->item.hItem);
    *result = !node || isTopFolder(*node);
    labelEditing_ = *result == FALSE;
    return true;
  }
  case TVN_ENDLABELEDITW: {
    NMTVDISPINFOW* edit = (NMTVDISPINFOW*)header;
    if (!labelEditing_)
      return true;
    labelEditing_ = false;
    plat::String text;
    if (edit->item.pszText)
      text = plat::String::adopt(plat::W2MB(edit->item.pszText));
    renameItem(edit->item.hItem, text.c_str());
    return true; // the reload shows the new name
  }
  case TVN_KEYDOWN:
    switch (((NMTVKEYDOWN*)header)->wVKey) {
    case VK_RETURN:
      if (TreeLeaf* entry = selectedEntry())
        launchEntry(entry);
      break;
    case VK_DELETE:
      deleteItem(TreeView_GetSelection(tree_), true);
      break;
    case VK_F2:
      editLabel();
      break;
    case VK_F5:
      reselectPath_.clear();
      idleWork_.requestReload();
      break;
    default:
      return false;
    }
    *result = 1;
    return true;
  case NM_CLICK: {
    if (!alpha)
      return false;
    TVHITTESTINFO hit = {};
    GetCursorPos(&hit.pt);
    ScreenToClient(tree_, &hit.pt);
    HTREEITEM item = TreeView_HitTest(tree_, &hit);
    if (!item || !TreeView_GetChild(tree_, item))
      return false;
    toggleHeader(item);
    *result = 1;
    return true;
  }
  case NM_DBLCLK: {
    TVHITTESTINFO hit = {};
    GetCursorPos(&hit.pt);
    ScreenToClient(tree_, &hit.pt);
    TreeNode* under = nodeOf(TreeView_HitTest(tree_, &hit));
    TreeLeaf* entry = selectedEntry();
    if (entry && under == entry)
      launchEntry(entry);
    return true;
  }
  case NM_CUSTOMDRAW:
    *result = customDraw((NMTVCUSTOMDRAW*)header);
    return true;
  default:
    return false;
  }
}

bool MainDialog::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT* result) {
  *result = 0;
  switch (message) {
  case WM_SIZE:
    InvalidateRect(detailsBox_, nullptr, TRUE);
    InvalidateRect(tree_, nullptr, TRUE);
    layoutControls(LOWORD(lParam), HIWORD(lParam));
    return true;
  case WM_NOTIFY:
    return onNotify((NMHDR*)lParam, result);
  case WM_CONTEXTMENU:
    if ((HWND)wParam != tree_)
      return false;
    openContextMenu(lParam);
    return true;
  case WM_COMMAND:
    if (HIWORD(wParam) != 0)
      return false;
    switch (LOWORD(wParam)) {
    case ID_CONNECT:
      if (TreeLeaf* entry = selectedEntry())
        launchEntry(entry);
      return true;
    case ID_TREE_PROPERTIES:
      showProperties();
      return true;
    case ID_TREE_DELETE:
      deleteItem(TreeView_GetSelection(tree_), true);
      return true;
    case ID_TREE_RENAME:
      editLabel();
      return true;
    case ID_TREE_EXPORT:
      exportXml(false);
      return true;
    case ID_TREE_IMPORT:
      importXml(false);
      return true;
    default:
      return false;
    }
  case WM_APP_IDLE_WORK:
    idleWork_.run();
    return true;
  case WM_APP_UPGRADE:
    upgradeEntries();
    return true;
  default:
    return false;
  }
}

// Launching, and entries from the viewer.

void MainDialog::launchEntry(TreeLeaf* entry) {
  IdleWork::Hold hold(idleWork_);
  launcher_.launchEntry(entry, getHandle());
}

void MainDialog::startViewer(const char* arguments, HANDLE* stdinPipe) {
  launcher_.startViewer(arguments, stdinPipe);
}

void MainDialog::postRun() { PostMessageW(getHandle(), WM_APP_IDLE_WORK, 0, 0); }

void MainDialog::reload() {
  loadTree();
  refreshTree(reselectPath_.empty() ? nullptr : reselectPath_.c_str());
  // Only now: an edit begun before the reload would rename whatever took
  // the old item's place.
  if (editAfterReload_) {
    editAfterReload_ = false;
    editLabelOf(TreeView_GetSelection(tree_));
  }
}

void MainDialog::addConnection(std::unique_ptr<EncryptedConfig> connection) {
  try {
    addEntry(*connection);
  } catch (const plat::Exception& e) {
    reportNewEntryFailure(e.str());
  }
}

void MainDialog::reportNewEntryFailure(const char* reason) {
  plat::DString text;
  text.appendf("Could not create new address book entry: %s", reason);
  mainDialogLog.error("%s", text.c_str());
  if (newEntryBoxOpen_)
    return;
  plat::RaisedFlag open(newEntryBoxOpen_);
  ui::MsgBox(GetParent(getHandle()), text.c_str(), MB_OK | MB_ICONERROR);
}

void MainDialog::addEntry(EncryptedConfig& connection) {
  HWND owner = GetParent(getHandle());
  if (connection.getPassword().length() > 0) {
    int behaviour = encryptPassword;
    if (behaviour == PasswordBehaviourDlg::Ask) {
      PasswordBehaviourDlg question;
      question.setEntryName(newEntryName(connection.getHost()).c_str());
      if (!question.runModal(owner))
        return;
      behaviour = question.choice();
    }
    if (behaviour == PasswordBehaviourDlg::DontSave) {
      connection.clearPassword();
    } else if (behaviour == PasswordBehaviourDlg::Encrypt) {
      ZeroingBuffer master = passwords_.getPassword(owner);
      if (!master.c_str())
        return;
      try {
        connection.encrypt(master.c_str());
      } catch (const plat::Exception& e) {
        // The entry is not there yet: name it as it would have been named.
        throw plat::ExceptionFmt("%s: %s", newEntryName(connection.getHost()).c_str(), e.str());
      }
    }
  }
  saveNewEntry(connection);
}

void MainDialog::saveNewEntry(EncryptedConfig& connection) {
  // Taken only now: the dialogs before may have let a reload run.
  if (roots_.empty())
    throw plat::Exception("The address book has no folder to keep it in");
  std::string path = newEntryPath(roots_.front()->getPath(), connection.getHost());
  connection.saveToFile(path.c_str(), true, false, nullptr);
  reselectPath_ = path;
  editAfterReload_ = true;
  idleWork_.requestReload();
}

} // namespace addrbook
