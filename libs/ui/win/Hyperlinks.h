// Mark-up text (plat/MarkUp.h) in owner-drawn static controls of a dialog,
// with working links: word-wrapped bold, underlined and link runs, the hand
// cursor over links, a focus rectangle that Tab and the arrow keys move from
// link to link, Enter and clicks reported to a plat::MarkUp::LinkCallback,
// and an accessibility object per control. One object serves any number of
// controls of one dialog, on the dialog's thread.
//
// The host statics must be SS_OWNERDRAW | SS_NOTIFY (or clicks and the
// cursor never reach them); the host dialog lays each text out in
// WM_DRAWITEM (initTabs once, then draw) and offers its messages to
// handleDialogMessage before its own handling.
#pragma once

#include "plat/MarkUp.h"
#include "plat/String.h"
#include "ui/win/Font.h"
#include "ui/win/SubclassWindow.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace com {
template <class T> class ComObject;
}

namespace ui {

class HLAccess;

class Hyperlinks : public SubclassWindow::SubclassProcCallback,
                   public plat::MarkUp::Layout::Callback {
public:
  enum : COLORREF { LinkColour = RGB(0, 0, 200), TextColour = RGB(0, 0, 0) };

  struct Segment {
    std::wstring text;
    int linkId; // 0: plain text
    RECT rect;  // in the control's client coordinates
    HFONT font; // one of the entry's fonts
    bool focused;
    std::vector<int> advances; // of each UTF-16 unit of text, as measured
  };

  // What one control shows.
  struct Entry {
    plat::String markup;
    plat::MarkUp::LinkCallback* linkCallback; // not owned, may be null
    HFONT normalFont;                         // the DC's when laid out; not owned
    Font boldFont;
    Font underlinedFont;
    std::vector<Segment> segments;
    com::ComObject<HLAccess>* access; // one reference held
  };

  Hyperlinks();
  ~Hyperlinks() override;

  // Lays markup out into rect (in the control's client coordinates) with
  // the DC's current font; on return rect's right and bottom are its left
  // and top plus the laid-out extent. Subclasses the control. Throws the
  // mark-up's errors, plat::SystemException when text cannot be measured,
  // and plat::Exception when another object subclasses the control.
  void initTabs(const char* markup, HDC hdc, RECT* rect, HWND control,
                plat::MarkUp::LinkCallback* linkCallback);
  bool isCompiled(HWND control) const { return entries_.count(control) != 0; }
  // Throws plat::Exception "Bad compilation id" for a control never laid out.
  void draw(HWND control, HDC hdc);
  // The first segment whose rectangle holds point (half-open), or null.
  const Segment* hitTest(HWND control, POINT point, int* index = nullptr) const;
  // True when the message was taken (the cursor over a link, a link click).
  bool handleDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
  // Drops the control's text and detaches its accessibility object, which
  // answers E_FAIL to clients that still hold it.
  void forget(HWND control);

  const Entry* entry(HWND control) const;

  LRESULT subclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  void setStyle(int style, int linkId) override;
  int lineHeight() override;
  int measure(const char* from, const char* to) override;
  void emit(const char* from, const char* to, const Rect& rect) override;

private:
  Entry* find(HWND control) const;
  LRESULT keyCode(HWND control, Entry* e, const MSG* key, WPARAM wParam, LPARAM lParam);
  void moveFocus(HWND control, Entry* e, int from, int to);
  HCURSOR handCursor();

  std::map<HWND, std::unique_ptr<Entry>> entries_;
  SubclassWindow subclass_;
  HCURSOR hand_;

  // While initTabs lays a text out.
  HDC hdc_;
  Entry* building_;
  POINT origin_;
  Segment current_;
  bool hasLinks_;
};

} // namespace ui
