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

// Pause to Cancel have a button; the others are reached by the menu and
// the keys.
bool hasButton(int action) {
  return action >= DownloadsDialog::Pause && action <= DownloadsDialog::Cancel;
}

} // namespace

DownloadsUI::Item::Item(DownloadsUI* window, int rowId)
    : window_(window), rowId_(rowId), failure_(window->failIcon(), ui::OnBottomRight, 6, 3),
      hovered_(-1), progressShown_(false), selected_(false), generic_(false), error_(false),
      icon_(nullptr), position_(0) {}

DownloadsUI::Item::~Item() {
  window_->icons().drop(rowId_);
  leaveSight();
  if (icon_ && icon_ != window_->genericIcon())
    DestroyIcon(icon_);
}

// What the row shows goes into the windows it takes.
void DownloadsUI::Item::adopt(const Controls& controls) {
  controls_ = controls;
  iconControl.wrap(controls.windows[Controls::Icon]);
  titleControl.wrap(controls.windows[Controls::Title]);
  progressControl.wrap(controls.windows[Controls::Progress]);
  statusControl.wrap(controls.windows[Controls::Status]);
  button.wrap(controls.windows[Controls::Buttons]);
  titleControl.setText(title_.c_str());
  statusControl.setText(status_.c_str());
  SendMessageW(iconControl.getHandle(), STM_SETICON, (WPARAM)icon_, 0);
  setProgress(position_);
  InvalidateRect(button.getHandle(), nullptr, FALSE);
}

std::array<const ui::Window*, 5> DownloadsUI::Item::windows() const {
  return {&iconControl, &titleControl, &progressControl, &statusControl, &button};
}

bool DownloadsUI::Item::owns(HWND control) const {
  for (const ui::Window* window : windows())
    if (window->getHandle() == control)
      return control != nullptr;
  return false;
}

int DownloadsUI::Item::height() const {
  return window_->scale(progressShown_ ? 60 : 48);
}

int DownloadsUI::Item::buttonWidth() const { return window_->scale(StripW); }

// A window that stays where it is costs nothing: each move is a call to
// the window server.
void DownloadsUI::Item::move(int which, int x, int y, int w, int h, bool shown) {
  RECT& at = controls_.at[which];
  bool& isShown = controls_.shown[which];
  if (at.left == x && at.top == y && at.right == x + w && at.bottom == y + h && isShown == shown)
    return;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
  if (isShown != shown)
    flags |= shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  at = {x, y, x + w, y + h};
  isShown = shown;
  SetWindowPos(controls_.windows[which], nullptr, x, y, w, h, flags);
}

void DownloadsUI::Item::shift(int dy) {
  for (RECT& at : controls_.at)
    OffsetRect(&at, 0, dy);
}

void DownloadsUI::Item::place(int top, int width) {
  if (!inSight())
    adopt(window_->takeControls(rowId_));
  int m = window_->scale(Margin), x = window_->scale(TextX), h = window_->scale(LineH);
  int bw = buttonWidth(), y2 = top + window_->scale(SecondLine);
  int icon = window_->scale(IconSize);
  move(Controls::Title, x, top + m, width - x - m, h, true);
  move(Controls::Buttons, width - bw - m, y2, bw, h, buttonShown());
  if (progressShown_) {
    move(Controls::Icon, m, top + window_->scale(15), icon, icon, true);
    move(Controls::Progress, x, y2, width - window_->scale(72) - bw, h, true);
    move(Controls::Status, x, top + window_->scale(40), width - x - m, h, true);
  } else {
    move(Controls::Icon, m, top + m, icon, icon, true);
    move(Controls::Progress, x, y2, width - window_->scale(72) - bw, h, false);
    // Beside the buttons, not under them.
    move(Controls::Status, x, y2, width - x - m - (buttonShown() ? bw + m : 0), h, true);
  }
  showFailure();
}

void DownloadsUI::Item::showFailure() {
  if (error_ && !failure_.getHandle())
    failure_.attach(iconControl.getHandle());
  else if (error_)
    failure_.reposition();
  else
    failure_.destroy();
}

// Out of sight a row holds no windows: with hundreds of rows, every child
// window the list holds makes each step of the window server slower.
void DownloadsUI::Item::leaveSight() {
  if (!inSight())
    return;
  failure_.destroy();
  window_->giveBack(controls_);
  for (ui::Window* control : {&iconControl, &titleControl, &progressControl, &statusControl,
                               &button})
    control->wrap(nullptr);
}

void DownloadsUI::Item::setSelected(bool selected) {
  if (selected_ == selected)
    return;
  selected_ = selected;
  if (inSight())
    for (const ui::Window* control : windows())
      InvalidateRect(control->getHandle(), nullptr, TRUE);
}

int DownloadsUI::Item::buttonCount() const {
  int n = 0;
  for (int i = 0; i < actions_.count; i++)
    n += hasButton(actions_.actions[i]);
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
    if (hasButton(a) && seen++ == hovered_)
      return a;
  }
  return DownloadsDialog::NoAction;
}

void DownloadsUI::Item::drawButtons(const DRAWITEMSTRUCT* item) {
  RECT r = item->rcItem;
  HBRUSH back = selected_ ? window_->selectionBrush() : (HBRUSH)GetStockObject(WHITE_BRUSH);
  FillRect(item->hDC, &r, back);
  int size = window_->scale(ButtonIcon), step = size + window_->scale(Gap);
  int y = r.top + (r.bottom - r.top - size) / 2, index = 0;
  for (int i = 0; i < actions_.count; i++) {
    int a = actions_.actions[i];
    if (!hasButton(a))
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
  if (inSight())
    titleControl.setText(title_.c_str());
}

void DownloadsUI::Item::setProgress(int position) {
  position_ = position;
  if (inSight())
    SendMessageW(progressControl.getHandle(), PBM_SETPOS, (WPARAM)progressStep(position), 0);
}

void DownloadsUI::Item::showProgress() {
  if (progressShown_)
    return;
  progressShown_ = true;
  window_->relayout();
}

void DownloadsUI::Item::hideProgress() {
  if (!progressShown_)
    return;
  progressShown_ = false;
  window_->relayout();
}

void DownloadsUI::Item::setStatus(const char* text, bool error) {
  status_ = text ? text : "";
  error_ = error;
  if (!inSight())
    return;
  statusControl.setText(status_.c_str());
  showFailure();
}

void DownloadsUI::Item::setActions(const DownloadsDialog::ActionSet& actions) {
  bool hadButtons = buttonShown();
  actions_ = actions;
  hovered_ = -1;
  if (!inSight())
    return;
  InvalidateRect(button.getHandle(), nullptr, FALSE);
  if (hadButtons != buttonShown())
    window_->relayout(); // the strip comes or goes; the status line follows
}

} // namespace ft
