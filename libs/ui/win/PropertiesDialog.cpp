#include "ui/win/PropertiesDialog.h"
#include "plat/ConfigParameter.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"

namespace ui {

static plat::LogWriter vlog("PropertiesDialog");

namespace {

// The pages of one set that the other does not hold.
std::vector<SheetPage> only(const std::vector<SheetPage>& set,
                            const std::vector<SheetPage>& other) {
  std::vector<SheetPage> result;
  for (const SheetPage& p : set) {
    bool shared = false;
    for (const SheetPage& o : other)
      shared = shared || o.page == p.page;
    if (!shared)
      result.push_back(p);
  }
  return result;
}

} // namespace

PropertiesDialog::PropertiesDialog(const char* caption, const std::vector<SheetPage>& basic,
                                   const std::vector<SheetPage>& advanced, Dialog* expertPage,
                                   plat::BoolParameter* advancedFlag, bool showButton,
                                   HINSTANCE instance, HICON icon)
    : TitledPropSheet(caption, advancedFlag->getValue() ? advanced : basic, instance, icon),
      toggle_(nullptr), advancedFlag_(advancedFlag), showButton_(showButton),
      expertPage_(expertPage), basicOnly_(only(basic, advanced)),
      advancedOnly_(only(advanced, basic)), showingAdvanced_(advancedFlag->getValue()) {
  for (const SheetPage& p : showingAdvanced_ ? basicOnly_ : advancedOnly_)
    reserveBanner(p.title, p.description);
}

PropertiesDialog::~PropertiesDialog() {
  if (toggle_)
    DestroyWindow(toggle_);
}

const char* PropertiesDialog::toggleText() const {
  return showingAdvanced_ ? "&Basic..." : "A&dvanced...";
}

void PropertiesDialog::onCreated() {
  TitledPropSheet::onCreated();
  HWND reference = sheetItem(hasApply() ? ApplyButton : IDCANCEL);
  RECT r, client;
  GetWindowRect(reference, &r);
  MapWindowPoints(nullptr, getHandle(), (POINT*)&r, 2);
  GetClientRect(getHandle(), &client);
  plat::WString text(toggleText());
  toggle_ = CreateWindowExW(0, L"Button", text.c_str(),
                            WS_CHILD | WS_TABSTOP | (showButton_ ? WS_VISIBLE : 0),
                            client.right - r.right, r.top, r.right - r.left, r.bottom - r.top,
                            getHandle(), nullptr, getInstance(), nullptr);
  if (!toggle_)
    throw plat::SystemException("CreateWindowEx", (int)GetLastError());
  SendMessageW(toggle_, WM_SETFONT, (WPARAM)sheetFont(), FALSE);
}

void PropertiesDialog::recalcPageSizes() {
  RECT before = {}, after = {};
  GetClientRect(getHandle(), &before);
  TitledPropSheet::recalcPageSizes();
  GetClientRect(getHandle(), &after);
  int grown = after.bottom - before.bottom;
  if (grown && toggle_)
    moveChild(toggle_, 0, grown, 0, 0);
}

// The switch takes the pages of one set away without the sheet asking
// them, as leaving them by their tabs would: the page shown is asked here,
// and a page that refuses (an invalid value) keeps the set as it is.
bool PropertiesDialog::leavingPageAccepts() {
  HWND current = (HWND)SendMessageW(getHandle(), PSM_GETCURRENTPAGEHWND, 0, 0);
  for (const SheetPage& p : showingAdvanced_ ? advancedOnly_ : basicOnly_)
    if (current && p.page->getHandle() == current)
      return p.page->validate();
  return true;
}

void PropertiesDialog::toggle() {
  if (!leavingPageAccepts()) {
    vlog.debug("the page shown refused to be left: the %s pages stay",
               showingAdvanced_ ? "advanced" : "basic");
    return;
  }
  bool advanced = !showingAdvanced_;
  vlog.debug("the %s pages", advanced ? "advanced" : "basic");
  advancedFlag_->setValue(advanced, plat::PriorityUser);
  showingAdvanced_ = advanced;
  plat::WString text(toggleText());
  SetWindowTextW(toggle_, text.c_str());
  SendMessageW(getHandle(), WM_SETREDRAW, FALSE, 0);
  for (const SheetPage& p : advanced ? advancedOnly_ : basicOnly_)
    addPage(p.page, p.title, p.description);
  for (const SheetPage& p : advanced ? basicOnly_ : advancedOnly_)
    removePage(p.page);
  SendMessageW(getHandle(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(getHandle(), nullptr, FALSE);
}

// Both directions mark through the base sheet only, and only pages that
// have a window: marking never reports back here.
void PropertiesDialog::changed(Dialog* page, bool changed) {
  if (page != expertPage_) {
    if (expertPage_)
      PropSheet::changed(expertPage_, expertPage_->isChanged());
    PropSheet::changed(page, changed);
    return;
  }
  for (Dialog* p : pages())
    if (p->getHandle())
      PropSheet::changed(p, p->isChanged());
}

LRESULT PropertiesDialog::controlHandle(WPARAM which) {
  return which == ToggleButton ? (LRESULT)toggle_ : TitledPropSheet::controlHandle(which);
}

LRESULT PropertiesDialog::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && toggle_ && (HWND)lParam == toggle_) {
    if (HIWORD(wParam) == BN_CLICKED)
      toggle();
    return 0;
  }
  if (message == WM_DESTROY)
    toggle_ = nullptr;
  return TitledPropSheet::subclassProc(hwnd, message, wParam, lParam);
}

} // namespace ui
