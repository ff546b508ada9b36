#include "plat/MarkUp.h"

#include <climits>

namespace plat {

namespace {

// Every byte of a multi-byte UTF-8 sequence is 0x80 or above, so a byte scan
// finds the same breaks as a decoding one, and a sequence cut short by a
// break or by the end of the run can never carry the scan past either.
bool isBreak(char c) { return c == 0 || c == ' ' || c == '\t' || c == '\n'; }

int clampToInt(long long v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : (int)v; }

} // namespace

MarkUp::Layout::Layout(Callback* callback, int width)
    : callback_(callback), x_(0), y_(0), extentWidth_(0), extentHeight_(0), margin_(0),
      wrap_(width > 0 ? width : INT_MAX) {}

void MarkUp::Layout::newLine(int h) {
  y_ += h;
  x_ = margin_;
}

void MarkUp::Layout::text(const char* run, int style, int linkId, bool halfLine) {
  callback_->setStyle(linkId ? Underlined : style, linkId);
  int h = callback_->lineHeight();
  if (halfLine)
    h /= 2;
  const char* segment = run;
  for (;;) {
    const char* brk = nullptr;
    int brkWidth = 0;
    for (const char* p = segment;; p++) {
      if (!isBreak(*p))
        continue;
      int w = callback_->measure(segment, p);
      // In 64 bits: with an unlimited width the sum may pass INT_MAX.
      if ((long long)x_ + w > wrap_) {
        if (brk)
          break;
        if (x_ != margin_)
          newLine(h);
      }
      brk = p;
      brkWidth = w;
      if (*p != ' ' && *p != '\t')
        break;
    }
    Callback::Rect rect = {x_, y_, clampToInt((long long)x_ + brkWidth), y_ + h};
    callback_->emit(segment, brk, rect);
    x_ = rect.right;
    if (rect.right > extentWidth_)
      extentWidth_ = rect.right;
    if (rect.bottom > extentHeight_)
      extentHeight_ = rect.bottom;
    if (!*brk)
      return;
    newLine(h);
    segment = brk + 1;
    if (*brk != '\n')
      while (*segment == ' ' || *segment == '\t')
        segment++;
  }
}

void MarkUp::Layout::margin(char op) {
  switch (op) {
  case '+':
    margin_ += MarginStep;
    x_ += MarginStep;
    break;
  case '-':
    margin_ -= MarginStep;
    x_ -= MarginStep;
    break;
  case '0':
    margin_ = x_ = 0;
    break;
  case '@':
    margin_ = x_;
    break;
  default:
    throw ExceptionFmt("Bad margin operator: %c", op);
  }
}

} // namespace plat
