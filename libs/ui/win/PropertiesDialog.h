// A titled property sheet with a basic and an advanced set of pages and a
// button, left of the sheet's own, that switches between them. The choice
// is kept in a Bool parameter (written at priority 50); the set shown is
// the one the button follows, so a parameter that a policy fixes does not
// confuse it. Pages in both sets (the same object) stay put when the sets
// are switched; the rest are added after them or removed. A page shown
// when the switch would remove it is validated first, as leaving its tab
// would validate it; one that refuses keeps the set shown.
//
// The expert page (the parameter list of the advanced set) sees every
// option: when another page reports a change the expert page's mark is
// refreshed too, and when the expert page reports one every page is
// marked anew.
#pragma once

#include "ui/win/TitledPropSheet.h"

namespace plat {
class BoolParameter;
}

namespace ui {

class PropertiesDialog : public TitledPropSheet {
public:
  enum { ToggleButton = 3 }; // the registered message's wParam

  // Starts with the advanced set when advancedFlag is true. With showButton
  // false the switch exists but stays hidden. expertPage may be null.
  PropertiesDialog(const char* caption, const std::vector<SheetPage>& basic,
                   const std::vector<SheetPage>& advanced, Dialog* expertPage,
                   plat::BoolParameter* advancedFlag, bool showButton,
                   HINSTANCE instance = nullptr, HICON icon = nullptr);
  ~PropertiesDialog() override;

  void onCreated() override;
  void recalcPageSizes() override;
  void changed(Dialog* page, bool changed) override;
  LRESULT subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  bool showsAdvanced() const { return showingAdvanced_; }

protected:
  LRESULT controlHandle(WPARAM which) override;

private:
  void toggle();
  bool leavingPageAccepts();
  const char* toggleText() const;

  HWND toggle_;
  plat::BoolParameter* advancedFlag_;
  bool showButton_;
  Dialog* expertPage_;
  std::vector<SheetPage> basicOnly_;
  std::vector<SheetPage> advancedOnly_;
  bool showingAdvanced_;
};

} // namespace ui
