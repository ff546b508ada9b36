// An edit control as a ui::TextWidget that a policy can lock, and an edit
// box that grows with its text up to a number of lines.
#pragma once

#include "ui/win/PolicyWindow.h"

namespace ui {

class EditBox : public PolicyWindow, public TextWidget {
public:
  explicit EditBox(HINSTANCE instance = nullptr) : PolicyWindow(instance) {}

  void setLocked(bool locked) override { PolicyWindow::setLocked(locked); }
  const char* getText() override { return getFullText(); }
  void setText(const char* text) override { Window::setText(text); }
};

// A multi-line edit box that shows as many lines as its text has, up to
// maxLines; the owning dialog moves what lies below it.
class AutoExpandEditBox : public EditBox {
public:
  explicit AutoExpandEditBox(int maxLines, HINSTANCE instance = nullptr)
      : EditBox(instance), maxLines_(maxLines) {}

  // Takes the height of one line from the formatting rectangle; the box
  // then counts as showing one line. Call once the dialog is made.
  void measureLine();
  // Resizes the box to the lines its text has (at most maxLines) and
  // returns the change of its height in pixels.
  int adjustHeight();

private:
  int maxLines_;
  int lineHeight_ = 0;
  int shownLines_ = 1;
};

} // namespace ui
