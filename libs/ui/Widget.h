// The kind-neutral view of an input control, through which dialog code
// reads, writes and locks controls without knowing their kind.
#pragma once

namespace ui {

class Widget {
public:
  virtual ~Widget() {}
  virtual void setLocked(bool locked) {}
};

class ComboBoxWidget : public Widget {
public:
  // The text shown, valid until the next call on the control.
  virtual const char* getText() = 0;
  // Selects the first item the text begins with; none: no selection.
  virtual void setText(const char* text) = 0;
};

} // namespace ui
