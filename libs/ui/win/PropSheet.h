// A property sheet whose pages are ui::Dialog objects. The sheet is always
// modeless; runModal drives it with a loop of its own, so the program's
// event manager and timers go on being served meanwhile.
//
//   PropSheet sheet("Properties", {&server, &display}, nullptr, icon);
//   if (sheet.runModal(owner, nullptr, false, false)) ...  // OK pressed
//
// The sheet is every page's changed-callback while it holds the page, and
// marks the page's tab changed or unchanged as the page reports. The pages
// live in the caller and must outlive the sheet. Runs on one thread.
#pragma once

#include "plat/String.h"
#include "ui/win/Dialog.h"
#include "ui/win/SubclassWindow.h"

#include <prsht.h>

#include <vector>

namespace plat {
class EventManager;
}

namespace ui {

class PropSheet : public SubclassWindow::SubclassProcCallback,
                  public Window,
                  public Dialog::ChangedCallback {
public:
  enum {
    ApplyButton = 0x3021,
    // Asks the sheet to close once it has ended (OK, Cancel, its close box).
    CloseRequest = WM_USER + 100,
  };

  // The registered message "Torvane.Ostrel.PropertySheet.GetControlHandle":
  // wParam 0 answers the banner's text control, 1 its logo, 2 the
  // separator, 3 the basic/advanced switch (0 where the sheet has none).
  // Throws plat::SystemException "RegisterWindowMessage".
  static UINT getControlHandleMessage();

  // icon (not owned) may be null.
  PropSheet(const char* caption, const std::vector<Dialog*>& pages, HINSTANCE instance = nullptr,
            HICON icon = nullptr);
  ~PropSheet() override;

  LRESULT subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void addPage(Dialog* page);
  // The page must be in the sheet.
  virtual void removePage(Dialog* page);
  virtual void recalcPageSizes();
  virtual HPROPSHEETPAGE createPage(Dialog* page);
  // The sheet window exists, not yet shown.
  virtual void onCreated() {}
  virtual void onApplied() { applied_ = true; }

  void changed(Dialog* page, bool changed) override;

  // Opens the sheet, or brings an open one to the front. With a parent, the
  // parent is disabled while the sheet is open. Throws plat::SystemException
  // "PropertySheet failed"; whatever fails closes the sheet again.
  void show(HWND parent, bool hasApply, bool keepHelpButton);
  // show, then the sheet's own loop until it ends: true when its pages
  // accepted OK (or Apply, unless Cancel followed). Messages come from
  // source (with the thread's timers served) or, when null, GetMessage. A
  // WM_QUIT ends the sheet and is posted again for the caller's loop.
  bool runModal(HWND parent, plat::EventManager* source, bool hasApply, bool keepHelpButton);
  // Destroys the sheet window; the parent is enabled again.
  void close();

  // In tab order.
  std::vector<Dialog*> pages() const;
  bool isApplied() const { return applied_; }
  // As the last show asked.
  bool hasApply() const { return hasApply_; }

protected:
  // The registered message's answer.
  virtual LRESULT controlHandle(WPARAM which) { return 0; }
  static LRESULT callSheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return SubclassWindow::callOriginalProc(hwnd, message, wParam, lParam);
  }
  HFONT sheetFont() const { return (HFONT)SendMessageW(getHandle(), WM_GETFONT, 0, 0); }
  HWND sheetItem(int id) const { return GetDlgItem(getHandle(), id); }

private:
  struct Page {
    Dialog* page;
    // Null once the sheet that held it is gone.
    HPROPSHEETPAGE handle;
  };

  HPROPSHEETPAGE makeHandle(Dialog* page);
  // Apply's work, then onApplied when every page accepted.
  LRESULT applyThrough(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool hasEnded() const;
  bool offerToSheets(MSG* msg);
  void dispatch(MSG* msg);

  plat::String caption_;
  std::vector<Page> pages_;
  HICON icon_;
  bool applied_;
  bool hasApply_;
  HWND parent_;
  bool runningModally_;
  // The page handles belong to the open sheet, which destroys them.
  bool handlesInSheet_;
  SubclassWindow subclass_;
};

} // namespace ui
