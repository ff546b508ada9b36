#include "ferrin/win/DownloadsUIItem.h"
#include "ferrin/win/DownloadsUIIconThread.h"

#include <commctrl.h>

namespace ft {

namespace {

// At 96 DPI: margin, text column, line height, button strip width, second
// line, icon size, gap between buttons.
enum {
  Margin = 6,
  TextX = 48,
  LineH = 16,
  StripW = 40,
  SecondLine = 23,
  IconSize = 32,
  Gap = 4,
  ButtonIcon = 16
};
const int ParkedY = -20000;

const DWORD ChildStyle = WS_CHILD | WS_VISIBLE;
const DWORD TextStyle = ChildStyle | SS_LEFTNOWORDWRAP | SS_WORDELLIPSIS | SS_NOPREFIX;

void move(ui::Window& control, int x, int y, int w, int h) {
  SetWindowPos(control.getHandle(), nullptr, x, y, w, h,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

} // namespace

DownloadsUI::Item::Item(DownloadsUI* window, int rowId)
    : window_(window), rowId_(rowId), failure_(window->failIcon(), ui::OnBottomRight, 6, 3),
      hovered_(-1), progressShown_(false), selected_(false), generic_(false), error_(false),
      placed_(false), icon_(nullptr), position_(0) {}

DownloadsUI::Item::~Item() {
  window_->icons().drop(rowId_);
  if (button.getHandle())
    window_->tooltip().removeTool(button.getHandle());
  failure_.destroy();
  iconControl.destroy();
  titleControl.destroy();
  progressControl.destroy();
  statusControl.destroy();
  button.destroy();
  if (icon_ && icon_ != window_->genericIcon())
    DestroyIcon(icon_);
}

void DownloadsUI::Item::create() {
  HWND parent = window_->getHandle();
  int s = window_->scale(IconSize);
  iconControl.create(L"Static", "", ChildStyle | WS_CLIPSIBLINGS | SS_ICON | SS_CENTERIMAGE, 0,
                     ParkedY, s, s, parent);
  titleControl.create(L"Static", title_.c_str(), TextStyle, 0, ParkedY, 10, 10, parent);
  progressControl.create(PROGRESS_CLASSW, "", WS_CHILD, 0, ParkedY, 10, 10, parent);
  statusControl.create(L"Static", status_.c_str(), TextStyle, 0, ParkedY, 10, 10, parent);
  // The row's number is the button's id: a click finds its row by it.
  button.create(L"Button", "", WS_CHILD | BS_OWNERDRAW, 0, ParkedY, 10, 10, parent, 0, rowId_);
  SendMessageW(titleControl.getHandle(), WM_SETFONT, (WPARAM)window_->boldFont(), FALSE);
  SendMessageW(statusControl.getHandle(), WM_SETFONT, (WPARAM)window_->normalFont(), FALSE);
  SendMessageW(button.getHandle(), WM_SETFONT, (WPARAM)window_->normalFont(), FALSE);
  SendMessageW(progressControl.getHandle(), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  failure_.attach(iconControl.getHandle());
  failure_.setVisible(error_);
  window_->tooltip().addTool(button.getHandle(), "", 300);
  if (icon_)
    SendMessageW(iconControl.getHandle(), STM_SETICON, (WPARAM)icon_, 0);
  setProgress(position_);
  progressControl.show(progressShown_);
  button.show(buttonShown());
}

int DownloadsUI::Item::height() const {
  return window_->scale(progressShown_ ? 60 : 48);
}

int DownloadsUI::Item::buttonWidth() const { return window_->scale(StripW); }

void DownloadsUI::Item::place(int top, int width) {
  if (!created())
    return;
  int m = window_->scale(Margin), x = window_->scale(TextX), h = window_->scale(LineH);
  int bw = buttonWidth(), y2 = top + window_->scale(SecondLine);
  int icon = window_->scale(IconSize);
  move(titleControl, x, top + m, width - x - m, h);
  move(button, width - bw - m, y2, bw, h);
  if (progressShown_) {
    move(iconControl, m, top + window_->scale(15), icon, icon);
    move(progressControl, x, y2, width - window_->scale(72) - bw, h);
    move(statusControl, x, top + window_->scale(40), width - x - m, h);
  } else {
    move(iconControl, m, top + m, icon, icon);
    // Beside the buttons, not under them.
    move(statusControl, x, y2, width - x - m - (buttonShown() ? bw + m : 0), h);
  }
  failure_.reposition();
  placed_ = true;
}

void DownloadsUI::Item::park() {
  if (!created() || !placed_)
    return;
  for (ui::Window* control : {&iconControl, &titleControl, &progressControl, &statusControl, &button})
    SetWindowPos(control->getHandle(), nullptr, 0, ParkedY, 0, 0,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOSIZE);
  failure_.reposition();
  placed_ = false;
}

void DownloadsUI::Item::setSelected(bool selected) {
  if (selected_ == selected)
    return;
  selected_ = selected;
  if (created())
    for (ui::Window* control : {&iconControl, &titleControl, &progressControl, &statusControl, &button})
      InvalidateRect(control->getHandle(), nullptr, TRUE);
}

int DownloadsUI::Item::buttonCount() const {
  int n = 0;
  for (int i = 0; i < actions_.count; i++)
    if (actions_.actions[i] >= DownloadsDialog::Pause && actions_.actions[i] <= DownloadsDialog::Cancel)
      n++;
  return n;
}

int DownloadsUI::Item::buttonAt(int x) const {
  int step = window_->scale(ButtonIcon) + window_->scale(Gap);
  int index = x < 0 ? -1 : x / step;
  return index < buttonCount() ? index : -1;
}

bool DownloadsUI::Item::setHovered(int index) {
  if (hovered_ == index)
    return false;
  hovered_ = index;
  if (button.getHandle())
    InvalidateRect(button.getHandle(), nullptr, FALSE);
  return true;
}

int DownloadsUI::Item::hoveredAction() const {
  int seen = 0;
  for (int i = 0; i < actions_.count; i++) {
    int a = actions_.actions[i];
    if (a >= DownloadsDialog::Pause && a <= DownloadsDialog::Cancel && seen++ == hovered_)
      return a;
  }
  return DownloadsDialog::NoAction;
}

void DownloadsUI::Item::drawButtons(const DRAWITEMSTRUCT* item) {
  RECT r = item->rcItem;
  FillRect(item->hDC, &r, selected_ ? window_->selectionBrush() : (HBRUSH)GetStockObject(WHITE_BRUSH));
  int size = window_->scale(ButtonIcon), step = size + window_->scale(Gap);
  int y = r.top + (r.bottom - r.top - size) / 2, index = 0;
  for (int i = 0; i < actions_.count; i++) {
    int a = actions_.actions[i];
    if (a < DownloadsDialog::Pause || a > DownloadsDialog::Cancel)
      continue;
    DrawIconEx(item->hDC, r.left + index * step, y, window_->actionIcon(a, index == hovered_), size,
               size, 0, nullptr, DI_NORMAL);
    index++;
  }
}

void DownloadsUI::Item::iconArrived(HICON icon) {
  HICON old = icon_;
  icon_ = icon;
  if (iconControl.getHandle())
    SendMessageW(iconControl.getHandle(), STM_SETICON, (WPARAM)icon_, 0);
  if (old && old != icon && old != window_->genericIcon())
    DestroyIcon(old);
  failure_.reposition();
}

void DownloadsUI::Item::setIcon(const char* path) {
  if (path && *path) // a download that failed before it had a folder has none
    window_->icons().request(rowId_, path);
}

void DownloadsUI::Item::setGenericIcon() {
  generic_ = true;
  window_->icons().request(rowId_, nullptr);
}

void DownloadsUI::Item::setText(const char* title) {
  title_ = title ? title : "";
  if (created())
    titleControl.setText(title_.c_str());
}

void DownloadsUI::Item::setProgress(int position) {
  position_ = position;
  if (created())
    SendMessageW(progressControl.getHandle(), PBM_SETPOS, (WPARAM)(position * 100 / 65535), 0);
}

void DownloadsUI::Item::showProgress() {
  if (progressShown_)
    return;
  progressShown_ = true;
  if (created())
    progressControl.show(true);
  window_->relayout();
}

void DownloadsUI::Item::hideProgress() {
  if (!progressShown_)
    return;
  progressShown_ = false;
  if (created())
    progressControl.show(false);
  window_->relayout();
}

void DownloadsUI::Item::setStatus(const char* text, bool error) {
  status_ = text ? text : "";
  error_ = error;
  if (!created())
    return;
  statusControl.setText(status_.c_str());
  failure_.setVisible(error);
}

void DownloadsUI::Item::setActions(const DownloadsDialog::ActionSet& actions) {
  bool hadButtons = buttonShown();
  actions_ = actions;
  hovered_ = -1;
  if (!created())
    return;
  button.show(buttonShown());
  InvalidateRect(button.getHandle(), nullptr, FALSE);
  if (hadButtons != buttonShown())
    window_->relayout(); // the status line takes the strip's room, or gives it back
}

} // namespace ft
