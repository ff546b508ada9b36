#include "viewerconfig/win/DisplayDlgBase.h"
#include "ledrow/data/ConnOptions.h"
#include "plat/win/Unicode.h"
#include "viewerconfig/win/ControlIds.h"

#include <cwchar>

namespace viewerconfig {

DisplayDlgBase::DisplayDlgBase(addrbook::CConnOptions* options, ui::ResourceId dialogTemplate)
    : ui::ConfigDialog(options, dialogTemplate), options_(options), shownPreset_(-1) {}

const char* DisplayDlgBase::qualityText(int position) {
  static const char* const texts[addrbook::CConnOptions::QualityPresets] = {
      "8 colors",
      "64 colors",
      "Hundreds of colors",
      "All available colors, maximum compression",
      "All available colors, medium compression",
      "All available colors, minimum compression"};
  return position >= 0 && position < addrbook::CConnOptions::QualityPresets ? texts[position] : "";
}

bool DisplayDlgBase::onInitDialog() {
  quality_.wrap(getDlgItem(IDC_QUALITY));
  fullScreen_.wrap(getDlgItem(IDC_FULL_SCREEN));
  autoSelect_.wrap(getDlgItem(IDC_AUTO_SELECT));
  toolbar_.wrap(getDlgItem(IDC_TOOLBAR));
  bestQuality_.wrap(getDlgItem(IDC_BEST_QUALITY));
  bestCompression_.wrap(getDlgItem(IDC_BEST_COMPRESSION));
  sync().bindCheckbox(&fullScreen_, &options_->fullScreen, "1", "0");
  sync().bindCheckbox(&autoSelect_, &options_->autoSelect, "1", "0");
  sync().bindCheckbox(&toolbar_, &options_->enableToolbar, "1", "0");
  quality_.setRange(addrbook::CConnOptions::QualityPresets - 1);
  setToolTip(IDC_FULL_SCREEN,
             "Display the remote desktop in full screen mode. Use the F8 menu or the toolbar in "
             "full-screen mode to return to windowed mode.",
             300);
  setToolTip(IDC_TOOLBAR, "Add an auto-hiding tool-bar to the Kiv Viewer window.", 300);
  setToolTip(IDC_AUTO_SELECT, "Automatically adapt to the speed of your network connection.", 300);
  return false;
}

void DisplayDlgBase::enableQuality() {
  bool manual = autoSelect_.getState() != ui::CheckboxWidget::Checked;
  quality_.setEnabled(manual);
  bestQuality_.enable(manual);
  bestCompression_.enable(manual);
}

void DisplayDlgBase::showQuality() {
  shownPreset_ = options_->getQualityPreset();
  quality_.setPos(shownPreset_);
}

bool DisplayDlgBase::onCommand(int id, int code) {
  if (id == IDC_AUTO_SELECT) {
    enableQuality();
    if (code == BN_CLICKED && autoSelect_.getState() == ui::CheckboxWidget::Checked) {
      options_->colourLevel.setParam("pal8", priority_);
      options_->preferredEncoding.setParam("ZRLE", priority_);
      showQuality();
    }
  }
  return ui::ConfigDialog::onCommand(id, code);
}

void DisplayDlgBase::onShow() {
  ui::ConfigDialog::onShow();
  enableQuality();
  showQuality();
}

// Only a move of the slider the user can reach writes the preset: a
// click elsewhere, or on the slider without moving it, leaves a colour
// level and an encoding that no preset gives as they are.
void DisplayDlgBase::qualityMoved() {
  int position = quality_.getPos();
  if (!quality_.isEnabled() || position == shownPreset_)
    return;
  options_->setQualityPreset(position, priority_);
  shownPreset_ = position;
  notifyChanged();
}

bool DisplayDlgBase::isQualityTooltip(HWND window) {
  return window && window == (HWND)SendMessageW(quality_.getHandle(), TBM_GETTOOLTIPS, 0, 0);
}

bool DisplayDlgBase::onNotify(NMHDR* header, LRESULT* result) {
  if ((header->code == TTN_GETDISPINFOW || header->code == TTN_GETDISPINFOA) &&
      isQualityTooltip(header->hwndFrom)) {
    const char* text = qualityText(quality_.getPos());
    if (header->code == TTN_GETDISPINFOW) {
      NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(header);
      plat::WString wide(text);
      wcsncpy(info->szText, wide.c_str(), 79);
      info->szText[79] = 0;
      info->lpszText = info->szText;
    } else {
      NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(header);
      plat::WString wide(text);
      WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, info->szText, 80, nullptr, nullptr);
      info->szText[79] = 0;
      info->lpszText = info->szText;
    }
    return false;
  }
  // A disabled slider shows no channel: the quality is not the user's to
  // choose then.
  if (header->code == NM_CUSTOMDRAW && header->hwndFrom == quality_.getHandle() &&
      !quality_.isEnabled()) {
    NMCUSTOMDRAW* draw = reinterpret_cast<NMCUSTOMDRAW*>(header);
    *result = 0;
    if (draw->dwDrawStage == CDDS_PREPAINT) {
      *result = CDRF_NOTIFYITEMDRAW;
    } else if (draw->dwDrawStage == CDDS_ITEMPREPAINT) {
      RECT channel = {};
      SendMessageW(quality_.getHandle(), TBM_GETCHANNELRECT, 0, (LPARAM)&channel);
      if (draw->rc.left <= channel.left && draw->rc.top <= channel.top &&
          draw->rc.right >= channel.right && draw->rc.bottom >= channel.bottom)
        *result = CDRF_SKIPDEFAULT;
    }
    return true;
  }
  return ui::ConfigDialog::onNotify(header, result);
}

// Trackbars that put the bare position into their tip themselves (Wine's)
// never ask for its text: it is replaced once the trackbar is done with
// the move.
void DisplayDlgBase::nameQualityTip() {
  HWND tip = (HWND)SendMessageW(quality_.getHandle(), TBM_GETTOOLTIPS, 0, 0);
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  if (!tip || !SendMessageW(tip, TTM_ENUMTOOLSW, 0, (LPARAM)&tool))
    return;
  plat::WString text(qualityText(quality_.getPos()));
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, (LPARAM)&tool);
}

INT_PTR DisplayDlgBase::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HSCROLL && quality_.getHandle() && (HWND)lParam == quality_.getHandle()) {
    qualityMoved();
    PostMessageW(hwnd, NameQualityTip, 0, 0);
  } else if (message == NameQualityTip) {
    if (quality_.getHandle())
      nameQualityTip();
    return 0;
  }
  return ui::ConfigDialog::handleMessage(hwnd, message, wParam, lParam);
}

} // namespace viewerconfig
