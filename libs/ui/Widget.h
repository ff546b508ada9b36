// The kind-neutral view of an input control, through which dialog code
// (ui::ConfigSync above all) reads, writes and locks controls without
// knowing their kind. Texts are UTF-8.
#pragma once

namespace ui {

class Widget {
public:
  virtual ~Widget() {}
  virtual void setLocked(bool locked) {}
};

class TextWidget : public Widget {
public:
  // The text shown, valid until the next call on the control.
  virtual const char* getText() = 0;
  virtual void setText(const char* text) = 0;
};

// A combo box: its text is its selected item's. How setText picks the item
// is the control's (ui::ComboBox: the item equal to the text; ui::ComboBoxEx:
// the first that begins with it). No such item: no selection.
class ComboBoxWidget : public TextWidget {};

class CheckboxWidget : public Widget {
public:
  // Not the order of the system's check states: 0 must mean checked.
  enum State { Checked = 0, Unchecked = 1, Indeterminate = 2 };
  virtual State getState() = 0;
  // Any value but Checked and Unchecked shows the indeterminate mark.
  virtual void setState(int state) = 0;
  // Whether a click may reach the third state.
  virtual void setTriState(bool on) = 0;
};

class SliderWidget : public Widget {
public:
  // Positions 0 to max.
  virtual void setRange(int max) = 0;
  virtual void setPos(int pos) = 0;
  virtual int getPos() = 0;
};

} // namespace ui
