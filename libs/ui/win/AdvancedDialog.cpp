#include "ui/win/AdvancedDialog.h"
#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"
#include "plat/EnumParameter.h"
#include "plat/win/Unicode.h"
#include "ui/win/RefusedValue.h"
#include "ui/win/Tooltip.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstring>
#include <string>

namespace ui {

namespace {

enum { NameColumn = 0, ValueColumn = 1 };
// A tip over a value longer than this shows its start and "...".
const size_t LongValue = 100;
const size_t LongValueShown = 96;

// Bool values read "True" and "False" here, as the list editor offers them.
plat::String valueText(const plat::ConfigParameter* param) {
  plat::String value = param->getValueStr();
  if (param->isBool())
    return plat::String(strcmp(value.c_str(), "1") == 0 ? "True" : "False");
  return value;
}

int CALLBACK byName(LPARAM a, LPARAM b, LPARAM) {
  return plat::strCaseCmp(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(b));
}

bool isKey(const MSG* msg, UINT message) {
  return msg && msg->message == message && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
}

} // namespace

// The in-place edit box: Return commits, Escape abandons, and neither
// reaches the dialog (which would press OK or Cancel).
class AdvancedDialog::EditControl : public SubclassWindow::SubclassProcCallback {
public:
  EditControl(AdvancedDialog* owner, HWND window)
      : owner_(owner), window_(window), subclass_(this) {
    subclass_.subclass(window);
  }
  HWND handle() const { return window_; }

  LRESULT subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
    case WM_GETDLGCODE:
      if (isKey(reinterpret_cast<const MSG*>(lParam), WM_KEYDOWN)) {
        owner_->endEdit(reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN);
        return DLGC_WANTALLKEYS;
      }
      break;
    case WM_KEYDOWN: // a loop that does not ask the dialog first
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
        owner_->endEdit(wParam == VK_RETURN);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE)
        return 0;
      break;
    }
    return SubclassWindow::callOriginalProc(hwnd, message, wParam, lParam);
  }

private:
  AdvancedDialog* owner_;
  HWND window_;
  SubclassWindow subclass_;
};

AdvancedDialog::AdvancedDialog(plat::Configuration* working, plat::Configuration* target,
                               HINSTANCE instance)
    : Dialog(L"ADVANCED_DIALOG", instance), working_(working), target_(target), list_(nullptr),
      choices_(instance), hotRow_(-1), editRow_(-1), hotIsValue_(false), hotParam_(nullptr),
      editParam_(nullptr), editInList_(false), subclass_(this) {}

AdvancedDialog::~AdvancedDialog() = default;

HWND AdvancedDialog::editBox() const { return edit_ ? edit_->handle() : nullptr; }

HWND AdvancedDialog::editor() const { return editInList_ ? choices_.getHandle() : editBox(); }

bool AdvancedDialog::isChanged() { return target_ && !working_->equals(*target_); }

bool AdvancedDialog::apply() {
  if (target_)
    target_->copyFrom(*working_);
  return true;
}

bool AdvancedDialog::validate() {
  endEdit(true);
  return true;
}

bool AdvancedDialog::onInitDialog() {
  HWND dialog = getHandle();
  list_ = getDlgItem(ListId);
  tooltip_ = new Tooltip(dialog, getInstance());
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0,
                              0, dialog, (HMENU)(UINT_PTR)EditorId, getInstance(), nullptr);
  if (!edit)
    throw plat::SystemException("CreateWindowEx", (int)GetLastError());
  edit_.reset(new EditControl(this, edit));
  choices_.create("", WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0, 0, 0, dialog,
                  WS_EX_CLIENTEDGE, ChoicesId);

  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
  column.fmt = LVCFMT_LEFT;
  column.cx = 200;
  column.pszText = const_cast<wchar_t*>(L"Name");
  SendMessageW(list_, LVM_INSERTCOLUMNW, NameColumn, (LPARAM)&column);
  column.pszText = const_cast<wchar_t*>(L"Value");
  SendMessageW(list_, LVM_INSERTCOLUMNW, ValueColumn, (LPARAM)&column);

  for (const plat::Configuration* group = working_; group; group = group->getParent()) {
    for (plat::ConfigParameter* p = group->head(); p; p = p->next()) {
      // A parent group's parameter of a name already listed is hidden by it.
      if (p->isBinary() || p->getName()[0] == '_' || rowOf(p->getName()) >= 0)
        continue;
      plat::WString name(p->getName());
      LVITEMW item = {};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = (int)SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0);
      item.pszText = const_cast<wchar_t*>(name.c_str());
      item.lParam = (LPARAM)p->getName();
      SendMessageW(list_, LVM_INSERTITEMW, 0, (LPARAM)&item);
    }
  }
  SendMessageW(list_, LVM_SORTITEMS, 0, (LPARAM)byName);
  SendMessageW(list_, LVM_SETCOLUMNWIDTH, NameColumn, LVSCW_AUTOSIZE);
  layout();

  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_TRANSPARENT;
  tool.hwnd = list_;
  tool.uId = (UINT_PTR)list_;
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tooltip_->getHandle(), TTM_ADDTOOLW, 0, (LPARAM)&tool);
  SendMessageW(tooltip_->getHandle(), TTM_SETMAXTIPWIDTH, 0, 400);
  subclass_.subclass(list_);
  return false;
}

void AdvancedDialog::dropWindowState() {
  editParam_ = nullptr;
  hotParam_ = nullptr;
  hotRow_ = editRow_ = -1;
  hotIsValue_ = false;
  edit_.reset();
  choices_.wrap(nullptr);
  list_ = nullptr;
}

void AdvancedDialog::layout() {
  if (!list_)
    return;
  RECT client;
  GetClientRect(getHandle(), &client);
  SetWindowPos(list_, nullptr, 6, 6, client.right - 12, client.bottom - 12,
               SWP_NOZORDER | SWP_NOACTIVATE);
  GetClientRect(list_, &client);
  int nameWidth = (int)SendMessageW(list_, LVM_GETCOLUMNWIDTH, NameColumn, 0);
  SendMessageW(list_, LVM_SETCOLUMNWIDTH, ValueColumn, client.right - nameWidth);
}

plat::ConfigParameter* AdvancedDialog::paramOfRow(int row) const {
  if (row < 0)
    return nullptr;
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(list_, LVM_GETITEMW, 0, (LPARAM)&item) || !item.lParam)
    return nullptr;
  return working_->get(reinterpret_cast<const char*>(item.lParam));
}

int AdvancedDialog::rowOf(const char* name) const {
  plat::WString wname(name);
  LVFINDINFOW find = {};
  find.flags = LVFI_STRING;
  find.psz = wname.c_str();
  return (int)SendMessageW(list_, LVM_FINDITEMW, (WPARAM)-1, (LPARAM)&find);
}

void AdvancedDialog::showValue(int row, const char* text) {
  plat::WString wtext(text);
  LVITEMW item = {};
  item.iSubItem = ValueColumn;
  item.pszText = const_cast<wchar_t*>(wtext.c_str());
  SendMessageW(list_, LVM_SETITEMTEXTW, row, (LPARAM)&item);
}

void AdvancedDialog::onShow() {
  if (!list_)
    return;
  for (const plat::Configuration* group = working_; group; group = group->getParent()) {
    for (plat::ConfigParameter* p = group->head(); p; p = p->next()) {
      int row = rowOf(p->getName());
      if (row >= 0)
        showValue(row, valueText(p).c_str());
    }
  }
  updateTip();
}

bool AdvancedDialog::onCommand(int id, int code) {
  if (id == ChoicesId) {
    if (code == CBN_SELENDOK)
      endEdit(true);
    else if (code == CBN_SELENDCANCEL)
      endEdit(false);
  }
  return false;
}

bool AdvancedDialog::onNotify(NMHDR* header, LRESULT* result) {
  if (header->hwndFrom != list_ || header->code != (UINT)NM_CUSTOMDRAW)
    return false;
  NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
  switch (draw->nmcd.dwDrawStage) {
  case CDDS_PREPAINT:
    *result = CDRF_NOTIFYITEMDRAW;
    return true;
  case CDDS_ITEMPREPAINT: {
    const char* name = reinterpret_cast<const char*>(draw->nmcd.lItemlParam);
    plat::ConfigParameter* p = name ? working_->get(name) : nullptr;
    if (p && p->getPriority() < plat::PriorityUser) {
      draw->clrText = RGB(0x7F, 0x7F, 0x7F);
      *result = CDRF_NEWFONT;
    } else {
      *result = CDRF_DODEFAULT;
    }
    return true;
  }
  }
  return false;
}

INT_PTR AdvancedDialog::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE)
    layout();
  INT_PTR result = Dialog::handleMessage(hwnd, message, wParam, lParam);
  if (message == WM_DESTROY)
    dropWindowState();
  return result;
}

void AdvancedDialog::track(LPARAM position) {
  LVHITTESTINFO hit = {};
  hit.pt.x = GET_X_LPARAM(position);
  hit.pt.y = GET_Y_LPARAM(position);
  SendMessageW(list_, LVM_SUBITEMHITTEST, 0, (LPARAM)&hit);
  bool onValue = hit.iItem >= 0 && hit.iSubItem == ValueColumn;
  // The row and the column: moving from a row's name to its value must
  // make the value the place a click edits.
  if (hit.iItem == hotRow_ && onValue == hotIsValue_)
    return;
  hotRow_ = hit.iItem;
  hotIsValue_ = onValue;
  hotParam_ = paramOfRow(hotRow_);
  updateTip();
}

void AdvancedDialog::updateTip() {
  std::wstring tip;
  if (hotParam_ && hotIsValue_) {
    plat::WString value(valueText(hotParam_).c_str());
    int textWidth = (int)SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, (LPARAM)value.c_str());
    int columnWidth = (int)SendMessageW(list_, LVM_GETCOLUMNWIDTH, ValueColumn, 0);
    if (columnWidth < textWidth + 12) {
      tip = value.c_str();
      if (tip.size() > LongValue) {
        size_t cut = LongValueShown;
        if (IS_HIGH_SURROGATE(tip[cut - 1]))
          cut--;
        tip = tip.substr(0, cut) + L"...";
      }
    }
  } else if (hotParam_) {
    plat::WString description(hotParam_->getDescription());
    tip = description.c_str() ? description.c_str() : L"";
  }
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = list_;
  tool.uId = (UINT_PTR)list_;
  tool.lpszText = const_cast<wchar_t*>(tip.c_str());
  SendMessageW(tooltip_->getHandle(), TTM_UPDATETIPTEXTW, 0, (LPARAM)&tool);
}

void AdvancedDialog::beginEdit() {
  editParam_ = hotParam_;
  editRow_ = hotRow_;
  editInList_ = editParam_->isBool() || editParam_->isEnum();
  HWND window = editor();

  RECT cell = {};
  cell.top = ValueColumn;
  cell.left = LVIR_BOUNDS;
  SendMessageW(list_, LVM_GETSUBITEMRECT, editRow_, (LPARAM)&cell);
  MapWindowPoints(list_, getHandle(), (POINT*)&cell, 2);
  int shift = editInList_ ? 4 : 2;
  int x = cell.left + shift, y = cell.top - (editInList_ ? 2 : 0);
  int height = cell.bottom - cell.top + (editInList_ ? 200 : 4);
  SetWindowPos(window, HWND_TOP, x, y, cell.right - cell.left - shift, height, SWP_NOACTIVATE);
  SendMessageW(window, WM_SETFONT, SendMessageW(list_, WM_GETFONT, 0, 0), FALSE);

  plat::String value = valueText(editParam_);
  if (editInList_) {
    SendMessageW(window, CB_RESETCONTENT, 0, 0);
    if (editParam_->isBool()) {
      choices_.addString("False");
      choices_.addString("True");
    } else {
      const plat::EnumParameter* e = static_cast<const plat::EnumParameter*>(editParam_);
      for (const char* const* name = e->getNames(); *name; name++)
        choices_.addString(*name);
    }
    choices_.setText(value.c_str());
    editStart_ = choices_.getText();
  } else {
    plat::WString wvalue(value.c_str());
    SetWindowTextW(window, wvalue.c_str());
    SendMessageW(window, EM_SETSEL, 0, -1);
    SendMessageW(window, EM_SCROLLCARET, 0, 0);
    editStart_ = value;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  SetFocus(window);
}

void AdvancedDialog::endEdit(bool commit) {
  if (!editParam_)
    return;
  plat::ConfigParameter* param = editParam_;
  int row = editRow_;
  HWND window = editor();
  // Cleared first: the box below, or the focus leaving the editor, must
  // find no edit in progress.
  editParam_ = nullptr;
  editRow_ = -1;
  plat::String text;
  if (editInList_) {
    text = choices_.getText();
  } else {
    Window box;
    box.wrap(window);
    text = box.getFullText();
  }
  ShowWindow(window, SW_HIDE);
  if (!commit || strcmp(text.c_str(), editStart_.c_str()) == 0)
    return;
  bool accepted;
  try {
    accepted = param->setParam(text.c_str(), plat::PriorityUser);
  } catch (const plat::Exception&) {
    accepted = false;
  }
  showValue(row, editInList_ && accepted ? text.c_str() : valueText(param).c_str());
  if (row == hotRow_)
    updateTip();
  if (!accepted)
    showRefusedValue(GetAncestor(getHandle(), GA_ROOT), *param, text.c_str());
  if (changedCallback_)
    changedCallback_->changed(this, isChanged());
}

LRESULT AdvancedDialog::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_MOUSEMOVE:
  case WM_LBUTTONDOWN:
  case WM_LBUTTONUP:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDOWN:
  case WM_RBUTTONUP:
  case WM_MBUTTONDOWN:
  case WM_MBUTTONUP: {
    if (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK)
      track(lParam);
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
      endEdit(true);
      if ((hotIsValue_ || message == WM_LBUTTONDBLCLK) && hotParam_ &&
          hotParam_->getPriority() >= plat::PriorityUser)
        beginEdit();
    }
    MSG relayed = {hwnd, message, wParam, lParam, (DWORD)GetMessageTime()};
    DWORD at = GetMessagePos();
    relayed.pt = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (tooltip_)
      SendMessageW(tooltip_->getHandle(), TTM_RELAYEVENT, 0, (LPARAM)&relayed);
    return 0;
  }
  case WM_HSCROLL:
  case WM_VSCROLL:
  case WM_MOUSEWHEEL:
  case WM_MOUSEHWHEEL:
    // The editor would stay where the row was.
    endEdit(false);
    break;
  case WM_PAINT:
    if (editParam_) {
      RECT r;
      GetWindowRect(editor(), &r);
      MapWindowPoints(nullptr, hwnd, (POINT*)&r, 2);
      OffsetRect(&r, -2, -2);
      ValidateRect(hwnd, &r);
    }
    break;
  case WM_NOTIFY: {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header)
      break;
    if (header->code == (UINT)TTN_SHOW && tooltip_ && header->hwndFrom == tooltip_->getHandle() &&
        hotIsValue_ && hotRow_ >= 0) {
      RECT cell = {};
      cell.top = ValueColumn;
      cell.left = LVIR_BOUNDS;
      SendMessageW(hwnd, LVM_GETSUBITEMRECT, hotRow_, (LPARAM)&cell);
      MapWindowPoints(hwnd, nullptr, (POINT*)&cell, 2);
      SetWindowPos(header->hwndFrom, nullptr, cell.left, cell.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 1;
    }
    if (header->code == (UINT)HDN_BEGINTRACKW || header->code == (UINT)HDN_BEGINTRACKA)
      if (reinterpret_cast<NMHEADERW*>(lParam)->iItem != NameColumn)
        return 1; // the value column takes what is left
    if (header->code == (UINT)HDN_ITEMCHANGINGW || header->code == (UINT)HDN_ITEMCHANGINGA) {
      NMHEADERW* change = reinterpret_cast<NMHEADERW*>(lParam);
      if (change->iItem == NameColumn && change->pitem && (change->pitem->mask & HDI_WIDTH)) {
        endEdit(false);
        RECT client;
        GetClientRect(hwnd, &client);
        int rest = client.right - change->pitem->cxy;
        if (rest < 0)
          return 1;
        int nameWidth = (int)SendMessageW(hwnd, LVM_GETCOLUMNWIDTH, NameColumn, 0);
        // The two columns never exceed the list's width at once: the value
        // column narrows before the name column grows, and widens only
        // after it has shrunk.
        if (change->pitem->cxy > nameWidth)
          SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, ValueColumn, rest);
        else
          PostMessageW(hwnd, LVM_SETCOLUMNWIDTH, ValueColumn, rest);
      }
    }
    break;
  }
  }
  return SubclassWindow::callOriginalProc(hwnd, message, wParam, lParam);
}

} // namespace ui
