#include "PageDriver.h"
#include "testing/TempDir.h"
#include "viewerconfig/win/BasicOptionsDlg.h"
#include "viewerconfig/win/ControlIds.h"
#include "viewerconfig/win/DisplayPage.h"

using namespace page_driver;

namespace {

typedef PageTest BasicAndDisplay;

HWND slider(HWND page) {
  return item(page, IDC_QUALITY);
}

void moveSlider(HWND page, int position) {
  SendMessageW(slider(page), TBM_SETPOS, TRUE, position);
  SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), (LPARAM)slider(page));
}

} // namespace

TEST_F(BasicAndDisplay, ViewOnlyOverDisagreeingInputsClicksThroughBackToEachValue) {
  o.sendKeyEvents.setParam("0", 50);
  o.scaling.setParam("Fit", 50);
  o.menuKey.setParam("F8", 50);
  viewerconfig::BasicOptionsDlg basic(&o);
  OpenSheet sheet({&basic});
  HWND p = sheet.page(0);
  EXPECT_EQ(BST_INDETERMINATE, check(p, IDC_VIEW_ONLY));
  EXPECT_EQ(BST_INDETERMINATE, check(p, IDC_SCALE_TO_WINDOW)); // Fit is not AspectFit
  EXPECT_EQ(8, selection(p, IDC_MENU_KEY));
  std::string before = entry_fixture::dump(o);

  click(p, IDC_VIEW_ONLY); // unchecked: every input on
  EXPECT_EQ("1", value(o.sendKeyEvents));
  EXPECT_TRUE(enabled(p, IDC_SPECIAL_KEYS));
  click(p, IDC_VIEW_ONLY); // checked: every input off, special keys with them
  for (plat::BoolParameter* input : {&o.sendKeyEvents, &o.sendPointerEvents, &o.clientCutText,
                                     &o.serverCutText, &o.shareFiles, &o.enableChat}) {
    EXPECT_EQ("0", value(*input)) << input->getName();
    EXPECT_EQ(50, input->getPriority());
  }
  EXPECT_FALSE(enabled(p, IDC_SPECIAL_KEYS));
  click(p, IDC_VIEW_ONLY); // indeterminate again: each input's own value back
  EXPECT_EQ(before, entry_fixture::dump(o));

  o.scaling.setParam("None,Fit", 50);
  basic.onShow();
  EXPECT_EQ(BST_UNCHECKED, check(p, IDC_SCALE_TO_WINDOW));
  choose(p, IDC_MENU_KEY, 0);
  EXPECT_EQ("", value(o.menuKey));
  basic.onShow();
  EXPECT_EQ(0, selection(p, IDC_MENU_KEY)); // the empty key shows as "none"
}

TEST_F(BasicAndDisplay, QualityIsWrittenOnlyWhenTheEnabledSliderMoves) {
  o.colourLevel.setParam("full", 50);
  o.preferredEncoding.setParam("Hextile", 50); // no preset gives this pair
  viewerconfig::DisplayPage display(&o);
  OpenSheet sheet({&display});
  HWND p = sheet.page(0);
  EXPECT_EQ(5, SendMessageW(slider(p), TBM_GETPOS, 0, 0));
  SendMessageW(p, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageW(p, WM_HSCROLL, TB_ENDTRACK, (LPARAM)slider(p));
  EXPECT_EQ("Hextile", value(o.preferredEncoding));

  moveSlider(p, 1);
  EXPECT_EQ("rgb222", value(o.colourLevel));
  EXPECT_EQ("ZRLE", value(o.preferredEncoding));

  // The slider's tip names the position's quality, whether the trackbar
  // asks for the text or sets the position itself.
  NMTTDISPINFOW ask = {};
  HWND tip = (HWND)SendMessageW(slider(p), TBM_GETTOOLTIPS, 0, 0);
  ask.hdr.hwndFrom = tip;
  ask.hdr.code = TTN_GETDISPINFOW;
  SendMessageW(p, WM_NOTIFY, 0, (LPARAM)&ask);
  EXPECT_STREQ(L"64 colors", ask.lpszText);
  RECT thumb;
  SendMessageW(slider(p), TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
  int x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
  int step = (thumb.right - thumb.left) * 2;
  SendMessageW(slider(p), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(slider(p), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + step, y));
  pump();
  int dragged = (int)SendMessageW(slider(p), TBM_GETPOS, 0, 0);
  wchar_t shown[80] = {0};
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  SendMessageW(tip, TTM_ENUMTOOLSW, 0, (LPARAM)&tool);
  tool.lpszText = shown;
  SendMessageW(tip, TTM_GETTEXTW, 80, (LPARAM)&tool);
  SendMessageW(slider(p), WM_LBUTTONUP, 0, MAKELPARAM(x + step, y));
  EXPECT_GT(dragged, 1);
  EXPECT_EQ(viewerconfig::DisplayDlgBase::qualityText(dragged), testing_support::utf8(shown));
  EXPECT_EQ(dragged, o.getQualityPreset());
  moveSlider(p, 1);

  click(p, IDC_AUTO_SELECT);
  EXPECT_EQ("1", value(o.autoSelect));
  EXPECT_EQ("pal8", value(o.colourLevel));
  EXPECT_EQ(50, o.colourLevel.getPriority());
  EXPECT_EQ("ZRLE", value(o.preferredEncoding));
  for (int id : {IDC_QUALITY, IDC_BEST_QUALITY, IDC_BEST_COMPRESSION})
    EXPECT_FALSE(enabled(p, id)) << id;
  moveSlider(p, 5); // out of the user's reach now
  EXPECT_EQ("pal8", value(o.colourLevel));

  o.colourLevel.setParam("rgb111", 50);
  click(p, IDC_AUTO_SELECT); // unchecking writes neither
  EXPECT_EQ("rgb111", value(o.colourLevel));
  EXPECT_EQ("ZRLE", value(o.preferredEncoding));
  EXPECT_TRUE(enabled(p, IDC_QUALITY));
}

TEST_F(BasicAndDisplay, ScalingFollowsTheControlsAndTheBoxesOwnFillingWritesNothing) {
  viewerconfig::DisplayPage display(&o); // Scaling "800x"
  OpenSheet sheet({&display});
  HWND p = sheet.page(0);
  EXPECT_EQ(BST_CHECKED, check(p, IDC_CUSTOM_SCALING));
  EXPECT_EQ(BST_UNCHECKED, check(p, IDC_NO_SCALING));
  EXPECT_EQ(0, selection(p, IDC_SCALE_UNITS)); // pixels
  std::string before = entry_fixture::dump(o);
  display.onShow();
  EXPECT_EQ(before, entry_fixture::dump(o));

  type(p, IDC_SCALE_HEIGHT, L"600");
  EXPECT_EQ("x600", value(o.scaling));
  click(p, IDC_PRESERVE_ASPECT);
  EXPECT_EQ("800x600", value(o.scaling));
  choose(p, IDC_SCALE_UNITS, 1); // no server size: the numbers stay
  EXPECT_EQ("800%x600%", value(o.scaling));
  EXPECT_EQ(50, o.scaling.getPriority());
  click(p, IDC_NO_SCALING);
  EXPECT_EQ("None", value(o.scaling));
  for (int id : {IDC_SCALE_WIDTH, IDC_SCALE_HEIGHT, IDC_SCALE_UNITS, IDC_PRESERVE_ASPECT})
    EXPECT_FALSE(enabled(p, id)) << id;
  click(p, IDC_SCALE_TO_WINDOW);
  EXPECT_EQ("Fit", value(o.scaling));
  EXPECT_TRUE(enabled(p, IDC_PRESERVE_ASPECT));
}
