// Pictures of mark-up in windows for ./dev shots: a download notification
// with a two-line text and a link, and a dialog of mark-up texts (bold,
// underline, margins, several links), one of its links focused.
#include "../tests/win/LinkDialogs.h"
#include "../tests/win/MarkupHost.h"
#include "plat/Exception.h"
#include "testing/Shots.h"
#include "ui/win/NotificationDialog.h"

#include <string>

namespace {

// A text laid out past its control's client area would be clipped.
void checkFits(const ui::Hyperlinks::Entry* e, HWND control) {
  RECT client;
  GetClientRect(control, &client);
  if (!e)
    throw plat::ExceptionFmt("control %d was not laid out", GetDlgCtrlID(control));
  for (const ui::Hyperlinks::Segment& s : e->segments)
    if (s.rect.right > client.right || s.rect.bottom > client.bottom)
      throw plat::ExceptionFmt("control %d: text clipped at %ld,%ld (room %ld x %ld)",
                               GetDlgCtrlID(control), s.rect.right, s.rect.bottom, client.right,
                               client.bottom);
}

} // namespace

KIV_SHOT(notification) {
  ui::NotificationDialog popup(L"NOTIFY_TEST", IDC_NOTIFY_LOGO);
  popup.setText(IDC_NOTIFY_TEXT,
                "^bFile transfer complete.^n\n^1{All files have been transferred.^}");
  popup.popup(0);
  shot.save(popup.getHandle());
}

KIV_SHOT(markup_texts) {
  MarkupHost host(L"LINKS_DIALOG");
  host.texts[IDC_LINKS] =
      "^bConnecting to a server^n\n"
      "Type the server's address above, for example ^ufiles.example.org::5901^n. "
      "See ^1{how addresses are written^} or pick one from ^2{the recent servers^}.";
  host.texts[IDC_NOTES] =
      "^m+\xE2\x80\xA2 ^m@Passwords are kept under the ^3{master password^} and "
      "never leave this computer.\n"
      "^m0^m+\xE2\x80\xA2 ^m@Files & folders are shared only while you ^bagree^n.\n"
      "^m0^4{Read the privacy notice^}";
  host.show(nullptr);
  HWND window = host.getHandle();
  SetWindowPos(window, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  host.paint();
  // Tabbed into from the edit box: the first link shows the focus.
  HWND before = host.getDlgItem(IDC_BEFORE);
  SetFocus(before);
  MSG tab = {before, WM_KEYDOWN, VK_TAB, 0};
  ui::Dialog::isDialogMessage(&tab);
  for (int id : {IDC_LINKS, IDC_NOTES}) {
    HWND control = host.getDlgItem(id);
    checkFits(host.links.entry(control), control);
  }
  shot.save(window);
}
