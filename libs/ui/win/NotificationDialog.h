// A small modeless pop-up at the bottom-right corner of the work area: the
// product logo and one or more mark-up texts (owner-drawn statics, shown
// through ui::Hyperlinks). It fades in, and after its time fades out and
// ends itself; popping it up again while it shows restarts that time.
//
// The template's text controls are statics with SS_OWNERDRAW | SS_NOTIFY;
// the logo control is an SS_BITMAP static, sized by its bitmap.
#pragma once

#include "plat/MarkUp.h"
#include "plat/String.h"
#include "ui/win/Dialog.h"
#include "ui/win/Hyperlinks.h"

#include <map>

namespace ui {

class NotificationDialog : public Dialog {
public:
  // The logo follows the screen's resolution (ui/Logo.h). doneEvent, when
  // given, is set each time the pop-up ends itself.
  NotificationDialog(ResourceId dialogTemplate, int logoId, HINSTANCE instance = nullptr,
                     HANDLE doneEvent = nullptr);
  ~NotificationDialog() override;

  // Replaces the mark-up of a text control; a shown pop-up redraws it.
  void setText(int controlId, const char* markup);
  // Shows the pop-up (creating it when needed) with its bottom-right corner
  // at the primary work area's; with a nonzero timeout it ends itself that
  // many milliseconds later.
  void popup(int timeoutMs);

  void setLinkCallback(plat::MarkUp::LinkCallback* callback) { linkCallback_ = callback; }

  bool onInitDialog() override;
  INT_PTR handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  void bringToFront() override;

private:
  bool drawItem(const DRAWITEMSTRUCT* item);
  // False when windows cannot be faded here.
  bool animate(DWORD flags);

  int logoId_;
  HBITMAP logo_;
  Hyperlinks hyperlinks_;
  plat::MarkUp::LinkCallback* linkCallback_;
  int anchorX_;
  int anchorY_;
  std::map<int, plat::String> texts_;
  HANDLE doneEvent_;
};

} // namespace ui
