// A combo box ("ComboBox") as a ui::ComboBoxWidget that a policy can lock.
// Its text is the selected item's; setText selects the item equal to the
// text, in any case, and clears the selection when there is none.
#pragma once

#include "ui/win/PolicyWindow.h"

namespace ui {

class ComboBox : public PolicyWindow, public ComboBoxWidget {
public:
  explicit ComboBox(HINSTANCE instance = nullptr) : PolicyWindow(instance) {}

  void setLocked(bool locked) override { PolicyWindow::setLocked(locked); }
  // Throws plat::SystemException "CreateWindowEx".
  virtual void create(const char* title, DWORD style, int x, int y, int width, int height,
                      HWND parent, DWORD exStyle = 0, UINT_PTR id = 0);

  // Appends an item (sorted in when the box sorts); returns its index.
  int addString(const char* text);
  int getCurSel();
  // A new UTF-8 buffer; empty for an index without an item.
  char* itemText(int index);

  const char* getText() override;
  void setText(const char* text) override;
};

} // namespace ui
