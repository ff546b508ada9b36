#include "ui/win/Hyperlinks.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"
#include "ui/Parameters.h"
#include "ui/win/HLAccess.h"

#include <oleacc.h>

namespace ui {

static plat::LogWriter vlog("Hyperlinks");

namespace {

// The next link segment from index from (exclusive) in direction step, or -1.
int nextLink(const Hyperlinks::Entry& e, int from, int step) {
  for (int i = from + step; i >= 0 && i < (int)e.segments.size(); i += step)
    if (e.segments[i].linkId)
      return i;
  return -1;
}

int firstLink(const Hyperlinks::Entry& e) { return nextLink(e, -1, 1); }
int lastLink(const Hyperlinks::Entry& e) { return nextLink(e, (int)e.segments.size(), -1); }

int focusedSegment(const Hyperlinks::Entry& e) {
  for (size_t i = 0; i < e.segments.size(); i++)
    if (e.segments[i].focused)
      return (int)i;
  return -1;
}

POINT cursorIn(HWND window) {
  POINT p = {-1, -1};
  if (GetCursorPos(&p))
    ScreenToClient(window, &p);
  return p;
}

// Puts the DC's font back whatever the layout or drawing selected.
struct FontRestorer {
  FontRestorer(HDC hdc) : hdc(hdc), font(GetCurrentObject(hdc, OBJ_FONT)) {}
  ~FontRestorer() { SelectObject(hdc, font); }
  HDC hdc;
  HGDIOBJ font;
};

} // namespace

Hyperlinks::Hyperlinks()
    : subclass_(this), hand_(nullptr), hdc_(nullptr), building_(nullptr), origin_{0, 0}, current_{},
      hasLinks_(false) {}

Hyperlinks::~Hyperlinks() {
  while (!entries_.empty())
    forget(entries_.begin()->first);
}

Hyperlinks::Entry* Hyperlinks::find(HWND control) const {
  auto it = entries_.find(control);
  return it == entries_.end() ? nullptr : it->second.get();
}

const Hyperlinks::Entry* Hyperlinks::entry(HWND control) const { return find(control); }

void Hyperlinks::initTabs(const char* markup, HDC hdc, RECT* rect, HWND control,
                          plat::MarkUp::LinkCallback* linkCallback) {
  SubclassWindow* by = SubclassWindow::subclassedBy(control);
  if (by && by != &subclass_)
    throw plat::Exception("initTabs: control is already subclassed");
  Entry* e = find(control);
  if (!e) {
    e = new Entry{};
    entries_[control].reset(e);
    e->access = new com::ComObject<HLAccess>(this, control);
  }
  // Subclassed before the text is laid out, so that a text that fails is
  // still forgotten with its control.
  subclass_.subclass(control);
  e->markup = markup;
  e->linkCallback = linkCallback;

  FontRestorer restorer(hdc);
  e->normalFont = (HFONT)restorer.font;
  LOGFONTW lf;
  if (GetObjectW(e->normalFont, sizeof lf, &lf) == sizeof lf) {
    lf.lfUnderline = TRUE;
    e->underlinedFont.set(CreateFontIndirectW(&lf), false);
    lf.lfUnderline = FALSE;
    lf.lfWeight = FW_BOLD;
    e->boldFont.set(CreateFontIndirectW(&lf), false);
  }

  e->segments.clear();
  origin_ = {rect->left, rect->top};
  hasLinks_ = false;
  hdc_ = hdc;
  building_ = e;
  plat::MarkUp::Layout layout(this, rect->right - rect->left);
  try {
    plat::MarkUp::parse(e->markup.c_str(), &layout);
  } catch (...) {
    building_ = nullptr;
    throw;
  }
  building_ = nullptr;
  rect->right = rect->left + layout.width();
  rect->bottom = rect->top + layout.height();

  LONG style = GetWindowLongW(control, GWL_STYLE);
  SetWindowLongW(control, GWL_STYLE, hasLinks_ ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

void Hyperlinks::draw(HWND control, HDC hdc) {
  Entry* e = find(control);
  if (!e)
    throw plat::Exception("Bad compilation id");
  bool hasFocus = GetFocus() == control;
  FontRestorer restorer(hdc);
  for (const Segment& s : e->segments) {
    SetTextColor(hdc, s.linkId ? LinkColour : TextColour);
    SelectObject(hdc, s.font);
    // At the measured advances: some fonts draw their bitmaps with advances
    // of their own (Wine's Tahoma at 11 and 16 pixels), which would leave
    // gaps after runs and underlines past their text.
    ExtTextOutW(hdc, s.rect.left, s.rect.top, ETO_CLIPPED, &s.rect, s.text.c_str(),
                (UINT)s.text.size(), s.advances.empty() ? nullptr : s.advances.data());
    if (hasFocus && s.focused)
      DrawFocusRect(hdc, &s.rect);
  }
}

const Hyperlinks::Segment* Hyperlinks::hitTest(HWND control, POINT point, int* index) const {
  if (index)
    *index = -1;
  const Entry* e = find(control);
  if (!e)
    return nullptr;
  for (size_t i = 0; i < e->segments.size(); i++) {
    const RECT& r = e->segments[i].rect;
    if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) {
      if (index)
        *index = (int)i;
      return &e->segments[i];
    }
  }
  return nullptr;
}

HCURSOR Hyperlinks::handCursor() {
  if (!hand_)
    hand_ = LoadCursorW(nullptr, IDC_HAND);
  return hand_;
}

bool Hyperlinks::handleDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
  case WM_SETCURSOR: {
    HWND window = (HWND)wParam;
    if (!find(window))
      return false;
    const Segment* s = hitTest(window, cursorIn(window));
    HCURSOR hand = s && s->linkId ? handCursor() : nullptr;
    if (!hand)
      return false;
    SetCursor(hand);
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
    return true;
  }
  case WM_COMMAND: {
    HWND control = (HWND)lParam;
    Entry* e = find(control);
    if (HIWORD(wParam) != 0 || !e)
      return false;
    const Segment* s = hitTest(control, cursorIn(control));
    int linkId = s ? s->linkId : 0;
    if (linkId && e->linkCallback)
      e->linkCallback->linkClicked(linkId);
    return linkId != 0;
  }
  }
  return false;
}

void Hyperlinks::forget(HWND control) {
  auto it = entries_.find(control);
  if (it == entries_.end())
    return;
  std::unique_ptr<Entry> e = std::move(it->second);
  entries_.erase(it);
  if (e->access) {
    e->access->detach();
    e->access->Release();
  }
}

void Hyperlinks::moveFocus(HWND control, Entry* e, int from, int to) {
  if (from >= 0) {
    e->segments[from].focused = false;
    InvalidateRect(control, &e->segments[from].rect, TRUE);
  }
  e->segments[to].focused = true;
  InvalidateRect(control, &e->segments[to].rect, TRUE);
}

LRESULT Hyperlinks::keyCode(HWND control, Entry* e, const MSG* key, WPARAM wParam, LPARAM lParam) {
  int step;
  switch (key->wParam) {
  case VK_RETURN: {
    int focused = focusedSegment(*e);
    // The callback may close the dialog: e is not touched afterwards.
    if (focused >= 0)
      e->linkCallback->linkClicked(e->segments[focused].linkId);
    return DLGC_WANTALLKEYS;
  }
  case VK_TAB:
    step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    break;
  case VK_RIGHT:
  case VK_DOWN:
    step = 1;
    break;
  case VK_LEFT:
  case VK_UP:
  case VK_OEM_BACKTAB:
    step = -1;
    break;
  default:
    return SubclassWindow::callOriginalProc(control, WM_GETDLGCODE, wParam, lParam);
  }
  int edge = step > 0 ? firstLink(*e) : lastLink(*e);
  if (edge < 0)
    return SubclassWindow::callOriginalProc(control, WM_GETDLGCODE, wParam, lParam);
  int from = focusedSegment(*e);
  // With no link focused yet the first key lands on the first (or last).
  int to = from < 0 ? edge : nextLink(*e, from, step);
  if (to >= 0) {
    moveFocus(control, e, from, to);
    return DLGC_WANTALLKEYS;
  }
  // Past the end: the flag wraps, and the dialog moves the focus on.
  moveFocus(control, e, from, edge);
  return SubclassWindow::callOriginalProc(control, WM_GETDLGCODE, wParam, lParam);
}

LRESULT Hyperlinks::subclassProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
  Entry* e = find(control);
  switch (msg) {
  case WM_DESTROY:
    forget(control);
    break;
  case WM_SETFOCUS:
    if (e && wParam) {
      HWND lost = (HWND)wParam;
      HWND parent = GetParent(control);
      int to = -1;
      if (lost == GetNextDlgTabItem(parent, control, TRUE))
        to = firstLink(*e);
      else if (lost == GetNextDlgTabItem(parent, control, FALSE))
        to = lastLink(*e);
      if (to >= 0)
        moveFocus(control, e, focusedSegment(*e), to);
    }
    break;
  case WM_KILLFOCUS:
    if (e) {
      int focused = focusedSegment(*e);
      if (focused >= 0)
        InvalidateRect(control, &e->segments[focused].rect, TRUE);
    }
    break;
  case WM_GETOBJECT:
    if ((DWORD)lParam == (DWORD)OBJID_CLIENT && supportAccessibilityApis && e && e->access) {
      LRESULT result =
          LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(e->access));
      if (result < 0)
        vlog.error("%s", plat::SystemException("LresultFromObject", (int)result).str());
      return result;
    }
    break;
  case WM_GETDLGCODE: {
    const MSG* key = (const MSG*)lParam;
    if (e && e->linkCallback && key && key->message == WM_KEYDOWN)
      return keyCode(control, e, key, wParam, lParam);
    break;
  }
  }
  return SubclassWindow::callOriginalProc(control, msg, wParam, lParam);
}

void Hyperlinks::setStyle(int style, int linkId) {
  HFONT font = building_->normalFont;
  if (style == plat::MarkUp::Bold && building_->boldFont.handle())
    font = building_->boldFont.handle();
  else if (style == plat::MarkUp::Underlined && building_->underlinedFont.handle())
    font = building_->underlinedFont.handle();
  SelectObject(hdc_, font);
  current_.font = font;
  current_.linkId = linkId;
  current_.focused = false;
  if (linkId)
    hasLinks_ = true;
}

int Hyperlinks::lineHeight() {
  SIZE size;
  if (!GetTextExtentPoint32W(hdc_, L"A", 1, &size))
    throw plat::SystemException("GetTextExtentPoint32", (int)GetLastError());
  return size.cy;
}

int Hyperlinks::measure(const char* from, const char* to) {
  plat::WString text = plat::WString::adopt(plat::MB2W(from, CP_UTF8, (int)(to - from)));
  SIZE size;
  if (!GetTextExtentPoint32W(hdc_, text.c_str(), (int)wcslen(text.c_str()), &size))
    throw plat::SystemException("GetTextExtentPoint32", (int)GetLastError());
  return size.cx;
}

void Hyperlinks::emit(const char* from, const char* to, const Rect& rect) {
  plat::WString text = plat::WString::adopt(plat::MB2W(from, CP_UTF8, (int)(to - from)));
  current_.text = text.c_str();
  int units = (int)current_.text.size();
  std::vector<int> ends(units);
  SIZE size;
  if (units &&
      !GetTextExtentExPointW(hdc_, current_.text.c_str(), units, 0, nullptr, ends.data(), &size))
    throw plat::SystemException("GetTextExtentExPoint", (int)GetLastError());
  current_.advances.resize(units);
  for (int i = 0; i < units; i++)
    current_.advances[i] = ends[i] - (i ? ends[i - 1] : 0);
  current_.rect = {rect.left + origin_.x, rect.top + origin_.y, rect.right + origin_.x,
                   rect.bottom + origin_.y};
  building_->segments.push_back(current_);
}

} // namespace ui
