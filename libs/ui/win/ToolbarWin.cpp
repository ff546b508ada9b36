#include "ui/win/ToolbarWin.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"
#include "ui/win/WindowClass.h"

#include <algorithm>

namespace ui {

static plat::LogWriter vlog("ToolbarWin");

namespace {

// Registered once per process, never unregistered: toolbars may come and
// go until the program ends.
ATOM containerClass() {
  static WindowClass* windowClass =
      new WindowClass(L"ui::ToolbarWin::Container", nullptr, LoadCursorW(nullptr, IDC_ARROW),
                      nullptr, nullptr, (HBRUSH)12, 0);
  return windowClass->atom();
}

void check(LRESULT result, const char* what) {
  if (!result)
    throw plat::Exception(what);
}

} // namespace

ToolbarWin::Item::Item(ToolbarWin* toolbar, const char* text, const char* name,
                       ActionCallback* callback, int flag, int commandId, Menu::Item* before)
    : Menu::Item(name, callback), toolbar_(toolbar), commandId_(commandId), defaultDraw_(flag),
      image_(name ? toolbar->factory_->imageIndex(name) : 0) {
  HWND bar = toolbar->toolbar_;
  int index = before ? (int)SendMessageW(bar, TB_COMMANDTOINDEX,
                                         static_cast<Item*>(before)->commandId_, 0)
                     : (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0);
  plat::WString wtext(text);
  if (text)
    text_ = wtext.c_str();
  TBBUTTON button = {};
  button.iBitmap = image_;
  button.idCommand = commandId;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = (text || name) ? BTNS_AUTOSIZE : BTNS_SEP;
  button.iString = text ? (INT_PTR)wtext.c_str() : -1;
  check(SendMessageW(bar, TB_INSERTBUTTONW, index, (LPARAM)&button), "TB_INSERTBUTTON error");
}

ToolbarWin::Item::~Item() {
  try {
    toolbar_->deleteItem(this);
  } catch (const plat::Exception& e) {
    vlog.error("deleting button %d: %s", commandId_, e.str());
  }
}

void ToolbarWin::Item::setText(const char* text) {
  plat::WString wtext(text ? text : "");
  text_ = wtext.c_str();
  TBBUTTONINFOW info = {sizeof(info)};
  info.dwMask = TBIF_TEXT;
  info.pszText = const_cast<wchar_t*>(wtext.c_str());
  check(SendMessageW(toolbar_->toolbar_, TB_SETBUTTONINFOW, commandId_, (LPARAM)&info),
        "TB_SETBUTTONINFO error");
}

void ToolbarWin::Item::setImage(const char* name) {
  if (!name || (name_.c_str() && strcmp(name_.c_str(), name) == 0))
    return;
  name_ = name;
  image_ = toolbar_->factory_->imageIndex(name);
  TBBUTTONINFOW info = {sizeof(info)};
  info.dwMask = TBIF_IMAGE;
  info.iImage = image_;
  check(SendMessageW(toolbar_->toolbar_, TB_SETBUTTONINFOW, commandId_, (LPARAM)&info),
        "TB_SETBUTTONINFO error");
}

void ToolbarWin::Item::setEnabled(bool enabled) {
  check(SendMessageW(toolbar_->toolbar_, TB_ENABLEBUTTON, commandId_, MAKELONG(enabled, 0)),
        "TB_ENABLEBUTTON error");
}

BYTE ToolbarWin::Item::state() {
  HWND bar = toolbar_->toolbar_;
  int index = (int)SendMessageW(bar, TB_COMMANDTOINDEX, commandId_, 0);
  if (index < 0)
    throw plat::Exception("TB_COMMANDTOINDEX error");
  TBBUTTON button = {};
  check(SendMessageW(bar, TB_GETBUTTON, index, (LPARAM)&button), "TB_GETBUTTON error");
  return button.fsState;
}

void ToolbarWin::Item::setChecked(bool checked) {
  BYTE s = state();
  TBBUTTONINFOW info = {sizeof(info)};
  info.dwMask = TBIF_STATE;
  info.fsState = checked ? (s | TBSTATE_CHECKED) : (s & ~TBSTATE_CHECKED);
  check(SendMessageW(toolbar_->toolbar_, TB_SETBUTTONINFOW, commandId_, (LPARAM)&info),
        "TB_SETBUTTONINFO error");
}

bool ToolbarWin::Item::isChecked() { return (state() & TBSTATE_CHECKED) != 0; }

ToolbarWin::ToolbarWin(HIMAGELIST images, ImageFactory* factory, ActionCallback* defaultCallback)
    : Menu(this, defaultCallback), toolbar_(nullptr), parent_(nullptr), container_(nullptr, this),
      images_(images), factory_(factory), nextId_(0) {
  temp_.create(containerClass(), "TempToolbarTopLevel", WS_POPUP, 0, 0, 1, 1);
  container_.create(containerClass(), "", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, temp_.getHandle());
}

ToolbarWin::~ToolbarWin() {
  deleteAll();
  if (toolbar_ && IsWindow(toolbar_))
    DestroyWindow(toolbar_);
  toolbar_ = nullptr;
  commands_.clear();
}

void ToolbarWin::attach(HWND parent) {
  parent_ = parent;
  SetParent(container_.getHandle(), parent);
  temp_.destroy();
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_BAR_CLASSES};
  InitCommonControlsEx(&init);
  // Sized by layout(), not by its parent.
  toolbar_ = CreateWindowExW(
      0, TOOLBARCLASSNAMEW, nullptr,
      WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | CCS_NORESIZE | CCS_NODIVIDER, 0, 0,
      0, 0, container_.getHandle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!toolbar_)
    throw plat::SystemException("CreateWindow", (int)GetLastError());
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  // No text rows: the texts show only as tooltips.
  check(SendMessageW(toolbar_, TB_SETMAXTEXTROWS, 0, 0), "TB_SETMAXTEXTROWS error");
  if (HWND tips = (HWND)SendMessageW(toolbar_, TB_GETTOOLTIPS, 0, 0))
    SetWindowLongW(tips, GWL_STYLE, GetWindowLongW(tips, GWL_STYLE) | TTS_ALWAYSTIP);
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, (LPARAM)images_);
}

void ToolbarWin::show() {
  ShowWindow(container_.getHandle(), SW_SHOW);
  InvalidateRect(container_.getHandle(), nullptr, TRUE);
}

void ToolbarWin::hide() { ShowWindow(container_.getHandle(), SW_HIDE); }

SIZE ToolbarWin::getSize() {
  SIZE size = {};
  SendMessageW(toolbar_, TB_GETMAXSIZE, 0, (LPARAM)&size);
  RECT client = {};
  GetClientRect(toolbar_, &client);
  size.cy = std::max(size.cy, client.bottom);
  return size;
}

void ToolbarWin::setSize(SIZE size) {
  for (HWND window : {container_.getHandle(), toolbar_})
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ToolbarWin::layout() { setSize(getSize()); }

Menu::Item* ToolbarWin::createItem(const char* name, const char* text, Menu::Item* before,
                                   ActionCallback* callback, int flag) {
  Item* item = new Item(this, text, name, callback, flag, nextId_, before);
  commands_[nextId_++] = item;
  return item;
}

void ToolbarWin::deleteItem(Menu::Item* item) {
  int id = static_cast<Item*>(item)->commandId();
  commands_.erase(id);
  // A toolbar destroyed with its parent took its buttons with it.
  if (!toolbar_ || !IsWindow(toolbar_))
    return;
  int index = (int)SendMessageW(toolbar_, TB_COMMANDTOINDEX, id, 0);
  if (index < 0)
    throw plat::Exception("TB_COMMANDTOINDEX error");
  check(SendMessageW(toolbar_, TB_DELETEBUTTON, index, 0), "TB_DELETEBUTTON error");
}

ToolbarWin::Item* ToolbarWin::itemOf(int commandId) const {
  auto it = commands_.find(commandId);
  return it == commands_.end() ? nullptr : it->second;
}

LRESULT ToolbarWin::customDraw(NMTBCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
  case CDDS_PREPAINT:
    return CDRF_NOTIFYITEMDRAW;
  case CDDS_ITEMPREPAINT: {
    Item* item = itemOf((int)draw->nmcd.dwItemSpec);
    if (!item || item->drawsByDefault())
      return CDRF_DODEFAULT;
    ImageList_Draw(images_, item->image(), draw->nmcd.hdc, draw->nmcd.rc.left + 3,
                   draw->nmcd.rc.top + 3, ILD_NORMAL);
    return CDRF_SKIPDEFAULT;
  }
  default:
    return CDRF_DODEFAULT;
  }
}

bool ToolbarWin::tipText(NMHDR* header) {
  if (header->code != TTN_GETDISPINFOW && header->code != TTN_GETDISPINFOA)
    return false;
  Item* item = itemOf((int)header->idFrom);
  if (!item)
    return false;
  if (header->code == TTN_GETDISPINFOW) {
    NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    info->lpszText = const_cast<wchar_t*>(item->text());
  } else {
    NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    info->lpszText = info->szText;
    WideCharToMultiByte(CP_ACP, 0, item->text(), -1, info->szText, sizeof(info->szText), nullptr,
                        nullptr);
    info->szText[sizeof(info->szText) - 1] = 0;
  }
  return true;
}

LRESULT ToolbarWin::handle(CustomWindow* window, HWND hwnd, UINT message, WPARAM wParam,
                           LPARAM lParam) {
  if (message == WM_NOTIFY && toolbar_) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && header->hwndFrom == toolbar_ && header->code == (UINT)NM_CUSTOMDRAW)
      return customDraw(reinterpret_cast<NMTBCUSTOMDRAW*>(lParam));
    if (header && tipText(header))
      return 0;
  }
  if (message == WM_COMMAND && toolbar_ && (HWND)lParam == toolbar_ && HIWORD(wParam) == 0) {
    Item* item = itemOf(LOWORD(wParam));
    if (item && item->callback())
      item->callback()->action(item);
    return 0;
  }
  return IsSafeWM(hwnd, message, wParam, lParam);
}

} // namespace ui
