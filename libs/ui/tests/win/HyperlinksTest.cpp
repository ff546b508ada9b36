#include "LinkDialogs.h"
#include "MarkupHost.h"

#include <gtest/gtest.h>

using ui::Hyperlinks;

namespace {

LONG styleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }

const Hyperlinks::Segment* linkSegment(const MarkupHost& host, HWND control, int linkId) {
  for (const Hyperlinks::Segment& s : host.links.entry(control)->segments)
    if (s.linkId == linkId)
      return &s;
  return nullptr;
}

std::vector<int> focusedLinks(const MarkupHost& host, HWND control) {
  std::vector<int> ids;
  for (const Hyperlinks::Segment& s : host.links.entry(control)->segments)
    if (s.focused)
      ids.push_back(s.linkId);
  return ids;
}

void moveCursorTo(HWND control, const RECT& r) {
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(control, &p);
  SetCursorPos(p.x, p.y);
}

void click(HWND control) {
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(control, WM_LBUTTONUP, 0, 0);
}

void key(HWND to, UINT vk) {
  MSG msg = {to, WM_KEYDOWN, vk, 0};
  ui::Dialog::isDialogMessage(&msg);
}

void setShift(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

struct PassOn : ui::SubclassWindow::SubclassProcCallback {
  LRESULT subclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    return ui::SubclassWindow::callOriginalProc(hwnd, msg, wParam, lParam);
  }
};

template <class F> std::string errorOf(F f) {
  try {
    f();
  } catch (const plat::Exception& e) {
    return e.str();
  }
  return "no error";
}

} // namespace

TEST(Hyperlinks, LayoutFontsTabOrderAndHalfOpenHitTests) {
  MarkupHost host(L"LINKS_DIALOG");
  host.texts[IDC_LINKS] = "Read ^bthis^n first, then ^1{the guide^} or ^2{the list^}.";
  host.texts[IDC_NOTES] = "Nothing to follow here.";
  host.open();
  HWND links = host.getDlgItem(IDC_LINKS);
  HWND notes = host.getDlgItem(IDC_NOTES);
  ASSERT_TRUE(host.links.isCompiled(links));
  const Hyperlinks::Entry* e = host.links.entry(links);
  std::vector<int> ids;
  for (const Hyperlinks::Segment& s : e->segments)
    ids.push_back(s.linkId);
  EXPECT_EQ((std::vector<int>{0, 0, 0, 1, 0, 2, 0}), ids);
  EXPECT_EQ(L"this", e->segments[1].text);
  EXPECT_EQ(e->boldFont.handle(), e->segments[1].font);
  EXPECT_EQ(e->underlinedFont.handle(), e->segments[3].font);
  EXPECT_EQ(e->normalFont, e->segments[4].font);
  EXPECT_TRUE(styleOf(links) & WS_TABSTOP);
  EXPECT_FALSE(styleOf(notes) & WS_TABSTOP);

  const RECT& r = e->segments[3].rect;
  int index = -1;
  EXPECT_EQ(&e->segments[3], host.links.hitTest(links, {r.left, r.top}, &index));
  EXPECT_EQ(3, index);
  EXPECT_EQ(&e->segments[4], host.links.hitTest(links, {r.right, r.top})); // the next one's
  EXPECT_EQ(nullptr, host.links.hitTest(links, {r.left, r.bottom}, &index));
  EXPECT_EQ(-1, index);

  // A new text with a link puts the control into the tab order.
  host.links.forget(notes);
  host.texts[IDC_NOTES] = "Now ^3{with a link^}.";
  host.paint();
  EXPECT_TRUE(styleOf(notes) & WS_TABSTOP);

  // Laid out straight into a narrow rectangle, the text wraps and the
  // rectangle comes back as its extent.
  HDC dc = GetDC(notes);
  SelectObject(dc, (HFONT)SendMessageW(host.getHandle(), WM_GETFONT, 0, 0));
  RECT area = {4, 2, 84, 500};
  host.links.initTabs("one two three four five six seven", dc, &area, notes, nullptr);
  const RECT& last = host.links.entry(notes)->segments.back().rect;
  EXPECT_EQ(last.bottom, area.bottom);
  EXPECT_GT(last.top, 2);
  EXPECT_LE(area.right, 84);

  HWND before = host.getDlgItem(IDC_BEFORE);
  EXPECT_EQ("Bad compilation id", errorOf([&] { host.links.draw(before, dc); }));
  PassOn pass;
  ui::SubclassWindow other(&pass);
  other.subclass(before);
  EXPECT_EQ("initTabs: control is already subclassed",
            errorOf([&] { host.links.initTabs("x", dc, &area, before, nullptr); }));
  EXPECT_FALSE(host.links.isCompiled(before));
  ReleaseDC(notes, dc);
}

TEST(Hyperlinks, HandCursorOnlyOverLinksAndClicksReportTheLink) {
  MarkupHost host(L"LINKS_DIALOG");
  host.texts[IDC_LINKS] = "Plain words, then ^7{a link^} and more plain words.";
  host.open();
  HWND dialog = host.getHandle();
  HWND links = host.getDlgItem(IDC_LINKS);
  HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  const LPARAM move = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

  moveCursorTo(links, linkSegment(host, links, 7)->rect);
  SetCursor(nullptr);
  EXPECT_EQ(TRUE, SendMessageW(dialog, WM_SETCURSOR, (WPARAM)links, move));
  EXPECT_EQ(hand, GetCursor());
  click(links);
  EXPECT_EQ(std::vector<int>{7}, host.clicks);

  moveCursorTo(links, linkSegment(host, links, 0)->rect);
  SetCursor(nullptr);
  EXPECT_FALSE(host.links.handleDialogMessage(dialog, WM_SETCURSOR, (WPARAM)links, move));
  EXPECT_NE(hand, GetCursor());
  // A click on plain text is left to the dialog.
  EXPECT_FALSE(
      host.links.handleDialogMessage(dialog, WM_COMMAND, MAKEWPARAM(IDC_LINKS, 0), (LPARAM)links));
  click(links);
  EXPECT_EQ(std::vector<int>{7}, host.clicks);
}

TEST(Hyperlinks, TabArrowsAndEnterMoveBetweenLinksAndActivateThem) {
  MarkupHost host(L"LINKS_DIALOG");
  host.texts[IDC_LINKS] = "^1{one^} and ^2{two^} and ^3{three^}";
  host.texts[IDC_NOTES] = "No links here.";
  host.open();
  HWND before = host.getDlgItem(IDC_BEFORE);
  HWND links = host.getDlgItem(IDC_LINKS);
  HWND ok = host.getDlgItem(IDOK);

  // Enter before any link has the focus does nothing.
  MSG enter = {links, WM_KEYDOWN, VK_RETURN, 0};
  EXPECT_EQ(DLGC_WANTALLKEYS, SendMessageW(links, WM_GETDLGCODE, VK_RETURN, (LPARAM)&enter));
  EXPECT_TRUE(host.clicks.empty());

  SetFocus(before);
  key(before, VK_TAB);
  ASSERT_EQ(links, GetFocus());
  EXPECT_EQ(std::vector<int>{1}, focusedLinks(host, links));
  key(links, VK_TAB);
  EXPECT_EQ(links, GetFocus());
  EXPECT_EQ(std::vector<int>{2}, focusedLinks(host, links));
  key(links, VK_RETURN);
  EXPECT_EQ(std::vector<int>{2}, host.clicks);
  key(links, VK_RIGHT);
  EXPECT_EQ(std::vector<int>{3}, focusedLinks(host, links));
  // Past the last link the flag wraps and the dialog moves on.
  key(links, VK_TAB);
  EXPECT_EQ(ok, GetFocus());
  EXPECT_EQ(std::vector<int>{1}, focusedLinks(host, links));

  setShift(true);
  key(ok, VK_TAB);
  EXPECT_EQ(links, GetFocus());
  EXPECT_EQ(std::vector<int>{3}, focusedLinks(host, links)); // exactly one
  key(links, VK_TAB);
  key(links, VK_UP);
  EXPECT_EQ(std::vector<int>{1}, focusedLinks(host, links));
  key(links, VK_TAB);
  setShift(false);
  EXPECT_EQ(before, GetFocus());
  EXPECT_EQ(std::vector<int>{3}, focusedLinks(host, links));
  EXPECT_EQ(std::vector<int>{2}, host.clicks);
}
