#include "ferrin/win/DownloadsUI.h"
#include "ferrin/win/DownloadsUIIconThread.h"
#include "ferrin/win/DownloadsUIItem.h"
#include "ferrin/win/DownloadsUIProxy.h"
#include "ferrin/win/FerrinResources.h"
#include "os/win/StartupValues.h"
#include "plat/win/Unicode.h"
#include "ui/win/MsgBox.h"
#include "ui/win/WindowClass.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

namespace ft {

namespace {

enum { RunDeferred = WM_APP + 2, HoverTimer = 1, HoverCheckMs = 100, LineStep = 5, TextInset = 6 };

const int NormalIcons[] = {FT_PAUSE_ICON, FT_PLAY_ICON, FT_RETRY_ICON, FT_CLOSE_ICON};
const int ActiveIcons[] = {FT_PAUSEACTIVE_ICON, FT_PLAYACTIVE_ICON, FT_RETRYACTIVE_ICON,
                           FT_CLOSEACTIVE_ICON};

const char* const ServingText =
    "There are no active or recent downloads to display.\n\nTo send files to all connected users, "
    "click the ^bSend files^n button, below.\n\nTo change where downloaded files are saved on "
    "this computer, use the ^bFetch files to^n drop-down list, below.";
const char* const ViewingText =
    "There are no active or recent downloads to display.\n\nTo send files to Kiv Server, click "
    "the ^bSend files^n button, below.\n\nTo fetch files from Kiv Server, navigate to the Kiv "
    "Server icon in the notification tray or status bar of the host computer, and select ^bFile "
    "Transfer^n from its shortcut menu.\n\nTo change where downloaded files are saved on this "
    "computer, use the ^bFetch files to^n drop-down list, below.";

const COLORREF SelectionColour = RGB(10, 36, 106);
// Made hidden: a row shows them once it is placed in sight.
const DWORD TextStyle = WS_CHILD | SS_LEFTNOWORDWRAP | SS_WORDELLIPSIS | SS_NOPREFIX;
// Spare sets of windows kept beyond this many are destroyed.
const size_t MostSpare = 24;

HFONT tahoma(int dpi, int weight) {
  return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
}

HICON loadIcon(HINSTANCE instance, int id, int size) {
  return (HICON)LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
}

ATOM windowClass(HINSTANCE instance) {
  // One per process.
  static ui::WindowClass downloads(L"ft::Downloads", nullptr, LoadCursorW(nullptr, IDC_ARROW),
                                   nullptr, nullptr, (HBRUSH)GetStockObject(WHITE_BRUSH),
                                   CS_DBLCLKS, instance);
  return downloads.atom();
}

} // namespace

DownloadsUI::DownloadsUI(Host* host, HWND parent, DownloadsDialog::Requests* requests,
                         bool serving, HINSTANCE instance)
    : ui::CustomWindow(instance, this), host_(host), requests_(requests), serving_(serving),
      dpi_(os::screenDpi()), selectionPen_(CreatePen(PS_SOLID, 0, RGB(160, 160, 160))),
      selectionBrush_(CreateSolidBrush(SelectionColour)), clientWidth_(0), clientHeight_(0),
      content_(0), scroll_(0), layingOut_(false), again_(false), hoveredRow_(0),
      hiddenSpare_(0) {
  normalFont_.set(tahoma(dpi_, FW_NORMAL), false);
  boldFont_.set(tahoma(dpi_, FW_BOLD), false);
  for (int i = 0; i < 4; i++) {
    iconsNormal_[i] = loadIcon(getInstance(), NormalIcons[i], scale(16));
    iconsActive_[i] = loadIcon(getInstance(), ActiveIcons[i], scale(16));
  }
  genericIcon_ = loadIcon(getInstance(), FT_FILES_ICON, scale(32));
  failIcon_ = loadIcon(getInstance(), FT_FAIL_ICON, scale(16));
  create(windowClass(getInstance()), "Downloads", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
         400, 300, parent);
  tooltip_.reset(new ui::Tooltip(getHandle(), getInstance()));
  icons_.reset(new IconThread(getHandle(), genericIcon_, scale(32)));
  icons_->start();
  proxy_.reset(new DownloadsUIProxy(this));
}

DownloadsUI::~DownloadsUI() {
  show(false);
  proxy_.reset(); // what the model still sent is dropped
  rows_.clear();
  for (auto& made : made_)
    delete made.second;
  made_.clear();
  for (RowControls& spare : spare_)
    destroyControls(spare);
  spare_.clear();
  icons_.reset();
  hyperlinks_.forget(getHandle());
  tooltip_.reset();
  destroy();
  DeleteObject(selectionPen_);
  DeleteObject(selectionBrush_);
  for (int i = 0; i < 4; i++) {
    DestroyIcon(iconsNormal_[i]);
    DestroyIcon(iconsActive_[i]);
  }
  DestroyIcon(genericIcon_);
  DestroyIcon(failIcon_);
}

DownloadsDialog::UI* DownloadsUI::proxy() { return proxy_.get(); }

void DownloadsUI::clear() { requests_->clear(); }

HICON DownloadsUI::actionIcon(int action, bool active) const {
  int i = action - DownloadsDialog::Pause;
  if (i < 0 || i >= 4)
    return nullptr;
  return active ? iconsActive_[i] : iconsNormal_[i];
}

const char* DownloadsUI::emptyText() const { return serving_ ? ServingText : ViewingText; }

DownloadsUI::Item* DownloadsUI::item(int rowId) const {
  auto it = made_.find(rowId);
  return it == made_.end() ? nullptr : it->second;
}

DownloadsUI::Item* DownloadsUI::selected() const {
  for (Item* row : rows_)
    if (row->selected())
      return row;
  return nullptr;
}

// -- the model's calls ---------------------------------------------------

void DownloadsUI::ensureWindow() { defer(DeferShow); }

DownloadsDialog::Download* DownloadsUI::createItem(int rowId) {
  Item*& made = made_[rowId];
  if (!made)
    made = new Item(this, rowId);
  return made;
}

void DownloadsUI::addItem(DownloadsDialog::Download* download) {
  Item* row = static_cast<Item*>(download);
  for (Item* other : rows_)
    other->setSelected(false);
  row->setSelected(true);
  rows_.push_front(row);
  hyperlinks_.forget(getHandle());
  SetWindowLongW(getHandle(), GWL_STYLE, GetWindowLongW(getHandle(), GWL_STYLE) | WS_TABSTOP);
  relayout();
}

void DownloadsUI::removeItem(DownloadsDialog::Download* download) {
  Item* row = static_cast<Item*>(download);
  rows_.remove(row);
  made_.erase(row->rowId());
  if (hoveredRow_ == row->rowId())
    hoveredRow_ = 0;
  delete row;
  if (rows_.empty()) {
    SetWindowLongW(getHandle(), GWL_STYLE, GetWindowLongW(getHandle(), GWL_STYLE) & ~WS_TABSTOP);
    host_->enableClear(false);
  }
  relayout();
}

void DownloadsUI::openFile(const char* path) { defer(DeferOpen, path); }
void DownloadsUI::enableClear(bool enable) { host_->enableClear(enable); }
void DownloadsUI::notifyFinished() { defer(DeferFinished); }
void DownloadsUI::notifyFailed() { defer(DeferFailed); }
void DownloadsUI::showMessage(const char* text) { defer(DeferMessage, text); }

void DownloadsUI::defer(Deferred what, const char* text) {
  deferred_.push_back(Task{what, text ? text : ""});
  PostMessageW(getHandle(), RunDeferred, 0, 0);
}

void DownloadsUI::runDeferred() {
  // A message box below runs a loop that may run the next task first.
  while (!deferred_.empty()) {
    Task task = deferred_.front();
    deferred_.pop_front();
    switch (task.what) {
    case DeferShow:
      host_->ensureShown();
      break;
    case DeferFinished:
      host_->notifyFinished();
      break;
    case DeferFailed:
      host_->notifyFailed();
      break;
    case DeferMessage:
      ui::MsgBox(GetParent(getHandle()), task.text.c_str(), MB_ICONERROR);
      break;
    case DeferOpen:
      open(task.text.c_str());
      break;
    }
  }
}

void DownloadsUI::open(const char* path) {
  plat::WString wide(path);
  int code = (int)(INT_PTR)ShellExecuteW(getHandle(), nullptr, wide.c_str(), nullptr, nullptr,
                                         SW_SHOWNORMAL);
  if (code > 32)
    return;
  char text[256];
  if (code == SE_ERR_NOASSOC)
    plat::formatInto(text, "There is no program associated with files of that type.");
  else if ((code >= SE_ERR_SHARE && code <= SE_ERR_DDEBUSY) || code == SE_ERR_DLLNOTFOUND)
    plat::formatInto(text, "Error opening file (%i)", code);
  else
    plat::formatInto(text, "%s", plat::SystemException("", code).str());
  ui::MsgBox(GetParent(getHandle()), text, 0);
}

// -- layout --------------------------------------------------------------

DownloadsUI::RowControls DownloadsUI::takeControls(int rowId) {
  RowControls controls;
  if (!spare_.empty()) {
    controls = spare_.back();
    spare_.pop_back();
    if (hiddenSpare_ > spare_.size())
      hiddenSpare_ = spare_.size();
  } else {
    HWND parent = getHandle();
    int s = scale(32);
    auto make = [&](const wchar_t* cls, DWORD style, int size) {
      return CreateWindowExW(0, cls, L"", style, 0, 0, size, size, parent, nullptr, getInstance(),
                             nullptr);
    };
    HWND* w = controls.windows;
    w[RowControls::Icon] =
        make(L"Static", WS_CHILD | WS_CLIPSIBLINGS | SS_ICON | SS_CENTERIMAGE, s);
    w[RowControls::Title] = make(L"Static", TextStyle, 10);
    w[RowControls::Progress] = make(PROGRESS_CLASSW, WS_CHILD, 10);
    w[RowControls::Status] = make(L"Static", TextStyle, 10);
    w[RowControls::Buttons] = make(L"Button", WS_CHILD | BS_OWNERDRAW, 10);
    for (HWND window : controls.windows)
      if (!window)
        throw plat::SystemException("CreateWindowEx", (int)GetLastError());
    SendMessageW(w[RowControls::Title], WM_SETFONT, (WPARAM)boldFont(), FALSE);
    SendMessageW(w[RowControls::Status], WM_SETFONT, (WPARAM)normalFont(), FALSE);
    SendMessageW(w[RowControls::Buttons], WM_SETFONT, (WPARAM)normalFont(), FALSE);
    SendMessageW(w[RowControls::Progress], PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    tooltip_->addTool(w[RowControls::Buttons], "", 300);
  }
  // The windows may have moved with a scroll while spare: every one is
  // placed anew.
  for (RECT& at : controls.at)
    at = {-1, -1, -1, -1};
  // The row's number is the button's id: a click finds its row by it.
  SetWindowLongPtrW(controls.windows[RowControls::Buttons], GWLP_ID, rowId);
  return controls;
}

void DownloadsUI::giveBack(const RowControls& controls) {
  spare_.push_back(controls);
}

void DownloadsUI::hideSpareControls() {
  for (size_t i = hiddenSpare_; i < spare_.size(); i++) {
    RowControls& spare = spare_[i];
    for (int j = 0; j < RowControls::Count; j++) {
      if (spare.shown[j])
        SetWindowPos(spare.windows[j], nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                         SWP_NOREDRAW);
      spare.shown[j] = false;
    }
  }
  while (spare_.size() > MostSpare) {
    destroyControls(spare_.back());
    spare_.pop_back();
  }
  hiddenSpare_ = spare_.size();
}

void DownloadsUI::destroyControls(const RowControls& controls) {
  tooltip_->removeTool(controls.windows[RowControls::Buttons]);
  for (HWND window : controls.windows)
    DestroyWindow(window);
}

void DownloadsUI::layout() {
  content_ = 0;
  for (Item* row : rows_)
    content_ += row->height();
  int most = content_ > clientHeight_ ? content_ - clientHeight_ : 0;
  scroll_ = scroll_ < 0 ? 0 : scroll_ > most ? most : scroll_;
  // Only rows in sight have controls, so that a step costs the same with
  // 5 rows as with 500.
  int top = -scroll_;
  // Rows leaving sight give their windows back first, for the rows coming
  // into it to take.
  for (Item* row : rows_) {
    int h = row->height();
    if (!(top + h > 0 && top < clientHeight_))
      row->leaveSight();
    top += h;
  }
  top = -scroll_;
  for (Item* row : rows_) {
    int h = row->height();
    if (top + h > 0 && top < clientHeight_)
      row->place(top, clientWidth_);
    top += h;
  }
  hideSpareControls();
}

void DownloadsUI::updateScrollBar() {
  SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS};
  if (content_ > clientHeight_) {
    info.nMax = content_ - 1;
    info.nPage = clientHeight_;
    info.nPos = scroll_;
  } else {
    scroll_ = 0;
  }
  // Only a change is told: a resize that changes the width alone leaves
  // the bar as it is.
  if (info.nMax == shownBar_.nMax && info.nPage == shownBar_.nPage && info.nPos == shownBar_.nPos)
    return;
  shownBar_ = info;
  // May add or take away the bar, and with it change the client width: the
  // resize lays the rows out again.
  SetScrollInfo(getHandle(), SB_VERT, &info, TRUE);
}

void DownloadsUI::relayout() {
  if (layingOut_) { // the scroll bar came or went: the width changed
    again_ = true;
    return;
  }
  layingOut_ = true;
  for (int pass = 0; pass < 3; pass++) {
    again_ = false;
    layout();
    updateScrollBar();
    if (!again_)
      break;
  }
  layingOut_ = false;
  RedrawWindow(getHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void DownloadsUI::scrollTo(int position) {
  int most = content_ > clientHeight_ ? content_ - clientHeight_ : 0;
  position = position < 0 ? 0 : position > most ? most : position;
  int dy = scroll_ - position;
  if (dy == 0)
    return;
  scroll_ = position;
  if (layingOut_ || dy >= clientHeight_ || -dy >= clientHeight_) {
    relayout();
    return;
  }
  // The rows in sight move with the picture; only the strip that comes
  // into sight is painted.
  RECT client = {0, 0, clientWidth_, clientHeight_};
  ScrollWindowEx(getHandle(), 0, dy, &client, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  for (Item* row : rows_)
    if (row->inSight())
      row->shift(dy);
  layout();
  SetScrollPos(getHandle(), SB_VERT, scroll_, TRUE);
  shownBar_.nPos = scroll_;
}

int DownloadsUI::rowTop(const Item* target) const {
  int top = -scroll_;
  for (const Item* row : rows_) {
    if (row == target)
      return top;
    top += row->height();
  }
  return top;
}

DownloadsUI::Item* DownloadsUI::rowAt(int y) const {
  int top = -scroll_;
  for (Item* row : rows_) {
    int h = row->height();
    if (y >= top && y < top + h)
      return row;
    top += h;
  }
  return nullptr;
}

void DownloadsUI::select(Item* target) {
  for (Item* row : rows_)
    row->setSelected(row == target);
  int top = rowTop(target), h = target->height();
  if (top < 0)
    scrollTo(scroll_ + top);
  else if (top + h > clientHeight_)
    scrollTo(scroll_ + top + h - clientHeight_);
  else
    RedrawWindow(getHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// -- painting ------------------------------------------------------------

void DownloadsUI::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(getHandle(), &ps);
  if (rows_.empty()) {
    HGDIOBJ oldFont = SelectObject(dc, normalFont_.handle());
    if (!hyperlinks_.isCompiled(getHandle())) {
      RECT r = {scale(TextInset), scale(TextInset), clientWidth_ - scale(TextInset),
                clientHeight_ - scale(TextInset)};
      hyperlinks_.initTabs(emptyText(), dc, &r, getHandle(), nullptr);
    }
    hyperlinks_.draw(getHandle(), dc);
    SelectObject(dc, oldFont);
  } else {
    HGDIOBJ oldPen = SelectObject(dc, selectionPen_);
    int top = -scroll_;
    for (Item* row : rows_) {
      int h = row->height();
      if (top + h > ps.rcPaint.top && top < ps.rcPaint.bottom) {
        if (row->selected()) {
          RECT r = {0, top, clientWidth_, top + h - 1};
          FillRect(dc, &r, selectionBrush_);
        }
        MoveToEx(dc, 0, top + h - 1, nullptr);
        LineTo(dc, clientWidth_, top + h - 1);
      }
      top += h;
    }
    SelectObject(dc, oldPen);
  }
  EndPaint(getHandle(), &ps);
}

// -- the mouse and the keyboard -------------------------------------------

DownloadsUI::Item* DownloadsUI::byButton(HWND button) const {
  Item* row = item(GetDlgCtrlID(button));
  return row && row->button.getHandle() == button ? row : nullptr;
}

void DownloadsUI::hover(HWND window) {
  Item* row = byButton(window);
  if (hoveredRow_ && (!row || row->rowId() != hoveredRow_)) {
    if (Item* left = item(hoveredRow_))
      left->setHovered(-1);
    hoveredRow_ = 0;
    KillTimer(getHandle(), HoverTimer);
  }
  if (!row)
    return;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(window, &p);
  if (row->setHovered(row->buttonAt(p.x))) {
    int action = row->hoveredAction();
    tooltip_->setToolText(window,
                          action ? DownloadsDialog::actionText(action) : "");
  }
  hoveredRow_ = row->rowId();
  // Nothing tells a window that the mouse went off its child: look.
  SetTimer(getHandle(), HoverTimer, HoverCheckMs, nullptr);
}

void DownloadsUI::clickAt(POINT client, bool doubleClick) {
  SetFocus(getHandle());
  Item* row = rowAt(client.y);
  if (!row)
    return;
  select(row);
  if (doubleClick && row->actions().has(DownloadsDialog::Open))
    requests_->doAction(row->rowId(), DownloadsDialog::Open);
}

void DownloadsUI::contextMenu(POINT screen, bool fromKeyboard) {
  SetFocus(getHandle());
  Item* row;
  if (fromKeyboard) {
    row = selected();
    if (!row)
      return;
    screen = {scale(20), rowTop(row) + scale(18)};
    ClientToScreen(getHandle(), &screen);
  } else {
    POINT client = screen;
    ScreenToClient(getHandle(), &client);
    row = rowAt(client.y);
    if (!row)
      return;
    select(row);
  }
  HMENU menu = CreatePopupMenu();
  const DownloadsDialog::ActionSet& actions = row->actions();
  for (int i = 0; i < actions.count; i++) {
    plat::WString text(DownloadsDialog::actionText(actions.actions[i]));
    AppendMenuW(menu, MF_STRING, actions.actions[i], text.c_str());
  }
  if (actions.has(DownloadsDialog::Open))
    SetMenuDefaultItem(menu, DownloadsDialog::Open, FALSE);
  int rowId = row->rowId();
  int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                              getHandle(), nullptr);
  DestroyMenu(menu);
  if (chosen)
    requests_->doAction(rowId, chosen);
}

void DownloadsUI::keyDown(UINT key) {
  Item* row = selected();
  switch (key) {
  case VK_RETURN:
    if (row && row->actions().has(DownloadsDialog::Open))
      requests_->doAction(row->rowId(), DownloadsDialog::Open);
    return;
  case VK_DELETE:
    if (row && row->actions().has(DownloadsDialog::RemoveFromList))
      requests_->doAction(row->rowId(), DownloadsDialog::RemoveFromList);
    return;
  case VK_UP:
  case VK_DOWN: {
    if (rows_.empty())
      return;
    if (!row) {
      select(key == VK_UP ? rows_.back() : rows_.front());
      return;
    }
    auto it = std::find(rows_.begin(), rows_.end(), row);
    if (key == VK_UP && it != rows_.begin())
      select(*std::prev(it));
    else if (key == VK_DOWN && std::next(it) != rows_.end())
      select(*std::next(it));
    return;
  }
  }
}

void DownloadsUI::iconReady(int rowId, HICON icon) {
  // The message may come from another process, naming any handle.
  if (!icons_ || !icons_->take(rowId, icon))
    return;
  if (Item* row = item(rowId))
    row->iconArrived(icon);
  else if (icon != genericIcon_)
    DestroyIcon(icon);
}

LRESULT DownloadsUI::handle(ui::CustomWindow*, HWND hwnd, UINT message, WPARAM wParam,
                            LPARAM lParam) {
  switch (message) {
  case WM_SIZE:
    clientWidth_ = LOWORD(lParam);
    clientHeight_ = HIWORD(lParam);
    hyperlinks_.forget(hwnd);
    relayout();
    return 0;
  case WM_PAINT:
    paint();
    return 0;
  case WM_VSCROLL: {
    SCROLLINFO info = {sizeof(info), SIF_ALL};
    GetScrollInfo(hwnd, SB_VERT, &info);
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
      scrollTo(scroll_ - LineStep);
      break;
    case SB_LINEDOWN:
      scrollTo(scroll_ + LineStep);
      break;
    case SB_PAGEUP:
      scrollTo(scroll_ - clientHeight_);
      break;
    case SB_PAGEDOWN:
      scrollTo(scroll_ + clientHeight_);
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      scrollTo(info.nTrackPos); // all 32 bits, not the message's 16
      break;
    }
    return 0;
  }
  case WM_MOUSEWHEEL:
    scrollTo(scroll_ - GET_WHEEL_DELTA_WPARAM(wParam) * scale(48) / WHEEL_DELTA);
    return 0;
  case WM_LBUTTONUP:
  case WM_LBUTTONDBLCLK:
    clickAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, message == WM_LBUTTONDBLCLK);
    return 0;
  case WM_CONTEXTMENU:
    contextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, lParam == -1);
    return 0;
  case WM_GETDLGCODE: {
    const MSG* key = (const MSG*)lParam;
    if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
      return DLGC_WANTALLKEYS;
    return DLGC_WANTARROWS;
  }
  case WM_KEYDOWN:
    keyDown((UINT)wParam);
    return 0;
  case WM_SETCURSOR:
    hover((HWND)wParam);
    break;
  case WM_TIMER:
    if (wParam == HoverTimer) {
      POINT p;
      GetCursorPos(&p);
      Item* row = item(hoveredRow_);
      if (!row || WindowFromPoint(p) != row->button.getHandle())
        hover(hwnd);
      return 0;
    }
    break;
  case WM_COMMAND:
    if (HIWORD(wParam) == BN_CLICKED) {
      Item* row = byButton((HWND)lParam);
      // A click between the buttons, or after the actions changed, has
      // no action: nothing happens.
      int action = row ? row->hoveredAction() : DownloadsDialog::NoAction;
      if (action != DownloadsDialog::NoAction)
        requests_->doAction(row->rowId(), action);
      return 0;
    }
    break;
  case WM_DRAWITEM: {
    const DRAWITEMSTRUCT* draw = (const DRAWITEMSTRUCT*)lParam;
    if (Item* row = byButton(draw->hwndItem)) {
      row->drawButtons(draw);
      return TRUE;
    }
    break;
  }
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORBTN: {
    HDC dc = (HDC)wParam;
    Item* row = selected();
    if (row && row->owns((HWND)lParam)) {
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkColor(dc, SelectionColour);
      return (LRESULT)selectionBrush_;
    }
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, RGB(255, 255, 255));
    return (LRESULT)GetStockObject(WHITE_BRUSH);
  }
  case IconThread::IconReady:
    iconReady((int)wParam, (HICON)lParam);
    return 0;
  case RunDeferred:
    runDeferred();
    return 0;
  }
  return ui::IsSafeWM(hwnd, message, wParam, lParam);
}

} // namespace ft
