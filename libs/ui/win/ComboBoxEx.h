// An extended combo box ("ComboBoxEx32") whose items have images. Text is
// chosen through the item list: in the drop-down-list style not every
// system answers WM_GETTEXT or CB_SELECTSTRING for the items.
#pragma once

#include "ui/win/PolicyWindow.h"

#include <commctrl.h>

namespace ui {

class ComboBoxEx : public PolicyWindow, public ComboBoxWidget {
public:
  explicit ComboBoxEx(HINSTANCE instance = nullptr) : PolicyWindow(instance) {}

  void setLocked(bool locked) override { PolicyWindow::setLocked(locked); }
  // Throws plat::SystemException "CreateWindowEx".
  virtual void create(const char* title, DWORD style, int x, int y, int width, int height,
                      HWND parent, DWORD exStyle = 0, UINT_PTR id = 0);
  virtual void setImageList(HIMAGELIST images);

  void clear();
  int getCurSel();
  void setCurSel(int index);
  // Appends an item; returns its index.
  int addItem(const char* text, int image);
  int itemCount();
  // A new UTF-8 buffer; empty for an index without an item.
  char* itemText(int index);

  // The selected item's text in the drop-down-list style, the edit's text
  // otherwise.
  const char* getText() override;
  // Selects the first item whose text begins with text, ignoring case
  // (CB_SELECTSTRING's rule); no such item clears the selection.
  void setText(const char* text) override;
};

} // namespace ui
