// The expert page: every parameter of a configuration by name with its
// value, edited in place. A click on a value opens an editor over the cell
// (a list for Bool and Enum parameters, an edit box for the rest); Return
// or a choice from the list writes the value at priority 50, Escape or
// scrolling abandons it. Parameters whose value comes from a stronger
// priority (a policy) are grey and cannot be edited. Hovering shows a
// parameter's description, or a value too wide for its column.
//
// The list view never sees the mouse: the page relays it to the tooltip
// and does the hit testing itself, so the list never selects rows.
#pragma once

#include "ui/win/ComboBox.h"
#include "ui/win/Dialog.h"
#include "ui/win/SubclassWindow.h"

#include <memory>

namespace plat {
class ConfigParameter;
class Configuration;
} // namespace plat

namespace ui {

class AdvancedDialog : public SubclassWindow::SubclassProcCallback, public Dialog {
public:
  // The editors' ids are the page's own: no template control has them.
  enum { ListId = 1005, EditorId = 1101, ChoicesId = 1102 };

  // target may be null: isChanged is then always false and apply does
  // nothing.
  AdvancedDialog(plat::Configuration* working, plat::Configuration* target,
                 HINSTANCE instance = nullptr);
  ~AdvancedDialog() override;

  bool isChanged() override;
  bool onInitDialog() override;
  bool onCommand(int id, int code) override;
  bool onNotify(NMHDR* header, LRESULT* result) override;
  // Commits an edit in progress.
  bool validate() override;
  bool apply() override;
  void onShow() override;
  INT_PTR handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  LRESULT subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The parameter being edited, or null.
  plat::ConfigParameter* editedParameter() const { return editParam_; }
  HWND listView() const { return list_; }
  HWND editBox() const;
  HWND dropDownList() const { return list_ ? choices_.getHandle() : nullptr; }

private:
  class EditControl;

  plat::ConfigParameter* paramOfRow(int row) const;
  int rowOf(const char* name) const;
  void showValue(int row, const char* text);
  void track(LPARAM position);
  void updateTip();
  void beginEdit();
  void endEdit(bool commit);
  HWND editor() const;
  void layout();
  // Everything tied to the page's window, which a sheet may make again.
  void dropWindowState();

  plat::Configuration* working_;
  plat::Configuration* target_;
  HWND list_;
  std::unique_ptr<EditControl> edit_;
  ComboBox choices_;
  int hotRow_;
  int editRow_;
  bool hotIsValue_;
  plat::ConfigParameter* hotParam_;
  plat::ConfigParameter* editParam_;
  bool editInList_;
  // What the editor showed when the edit began: unchanged, nothing is
  // written.
  plat::String editStart_;
  SubclassWindow subclass_;
};

} // namespace ui
