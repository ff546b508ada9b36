// Pictures of mark-up in windows for ./dev shots: a download notification
// with a two-line text and a link, and a dialog of mark-up texts (bold,
// underline, margins, several links), one of its links focused.
#include "../tests/win/LinkDialogs.h"
#include "../tests/win/MarkupHost.h"
#include "plat/Exception.h"
#include "testing/ScreenPixels.h"
#include "testing/Shots.h"
#include "testing/TempDir.h"
#include "testing/TextInk.h"
#include "ui/win/NotificationDialog.h"

#include <string>

namespace {

// Where text's glyphs end when drawn in font from rect's left, as measured
// (its width less the last glyph's right bearing), and the font's ascent.
struct Measured {
  int inkEnd;
  int ascent;
};

Measured measure(HWND control, HFONT font, const std::wstring& text, const RECT& rect) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size = {0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &size);
  ABC last = {0, 0, 0};
  GetCharABCWidthsW(dc, text.back(), text.back(), &last);
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return {(int)(rect.left + size.cx - last.abcC - 1), (int)metrics.tmAscent};
}

// The last column of rect inked above the baseline (where an underline does
// not reach), or -1.
int drawnInkEnd(const testing_support::ScreenPixels& pixels, POINT origin, const RECT& rect,
                int ascent, COLORREF background) {
  for (int x = rect.right - 1; x >= rect.left; x--)
    for (int y = rect.top; y < rect.top + ascent && y < rect.bottom; y++)
      if (pixels.at(origin.x + x, origin.y + y) != background)
        return x;
  return -1;
}

// What a person would see as faults in a laid-out text: a segment clipped
// by its control, a bold run drawn in the normal weight, glyphs that end
// elsewhere than measured (a gap after a run, an underline past its text).
// Called with no link focused: the focus rectangle is ink too.
void checkSegments(const ui::Hyperlinks::Entry* e, HWND control) {
  RECT client;
  GetClientRect(control, &client);
  if (!e)
    throw plat::ExceptionFmt("control %d was not laid out", GetDlgCtrlID(control));
  int id = GetDlgCtrlID(control);
  POINT origin = {0, 0};
  ClientToScreen(control, &origin);
  RECT onScreen = client;
  OffsetRect(&onScreen, origin.x, origin.y);
  testing_support::ScreenPixels pixels = testing_support::readScreen(onScreen);
  if (!EqualRect(&pixels.rect, &onScreen))
    throw plat::ExceptionFmt("control %d is not on the screen", id);
  for (const ui::Hyperlinks::Segment& s : e->segments) {
    if (s.rect.right > client.right || s.rect.bottom > client.bottom)
      throw plat::ExceptionFmt("control %d: text clipped at %ld,%ld (room %ld x %ld)", id,
                               s.rect.right, s.rect.bottom, client.right, client.bottom);
    std::wstring text = s.text.substr(0, s.text.find_last_not_of(L" \t") + 1);
    if (text.empty())
      continue;
    std::string shown = testing_support::utf8(text);
    if (testing_support::drawsInNormalWeight(s.font, text))
      throw plat::ExceptionFmt("control %d: bold \"%s\" drawn in the normal weight", id,
                               shown.c_str());
    Measured measured = measure(control, s.font, text, s.rect);
    int drawn = drawnInkEnd(pixels, origin, s.rect, measured.ascent, GetSysColor(COLOR_BTNFACE));
    // Two pixels either way for glyph bitmaps that differ from their outlines.
    if (drawn < measured.inkEnd - 2 || drawn > measured.inkEnd + 2)
      throw plat::ExceptionFmt("control %d: \"%s\" measured to x=%d but drawn to x=%d", id,
                               shown.c_str(), measured.inkEnd, drawn);
  }
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
  for (int id : {IDC_LINKS, IDC_NOTES}) {
    HWND control = host.getDlgItem(id);
    checkSegments(host.links.entry(control), control);
  }
  // Tabbed into from the edit box: the first link shows the focus.
  HWND before = host.getDlgItem(IDC_BEFORE);
  SetFocus(before);
  MSG tab = {before, WM_KEYDOWN, VK_TAB, 0};
  ui::Dialog::isDialogMessage(&tab);
  shot.save(window);
}
