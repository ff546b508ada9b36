// What the display page and the basic page share: full screen, the
// toolbar, automatic quality ("Adapt to network speed") and the picture
// quality slider over the six quality presets of the option set. The
// slider and its labels are enabled only while automatic quality is off.
#pragma once

#include "ui/win/Checkbox.h"
#include "ui/win/ConfigDialog.h"
#include "ui/win/Slider.h"

namespace addrbook {
class CConnOptions;
}

namespace viewerconfig {

class DisplayDlgBase : public ui::ConfigDialog {
public:
  // Posted to the page after a slider move: the slider's tip names the
  // quality.
  enum { NameQualityTip = WM_USER + 101 };

  DisplayDlgBase(addrbook::CConnOptions* options, ui::ResourceId dialogTemplate);

  bool onInitDialog() override;
  bool onCommand(int id, int code) override;
  bool onNotify(NMHDR* header, LRESULT* result) override;
  void onShow() override;
  INT_PTR handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  // What a slider position gives, as its tooltip says.
  static const char* qualityText(int position);

protected:
  addrbook::CConnOptions* options_;

private:
  void enableQuality();
  void showQuality();
  // The slider moved: its preset is written.
  void qualityMoved();
  bool isQualityTooltip(HWND window);
  void nameQualityTip();

  ui::Slider quality_;
  ui::Checkbox fullScreen_;
  ui::Checkbox autoSelect_;
  ui::Checkbox toolbar_;
  ui::Window bestQuality_;
  ui::Window bestCompression_;
  // The slider's position as last shown or written.
  int shownPreset_;
};

} // namespace viewerconfig
