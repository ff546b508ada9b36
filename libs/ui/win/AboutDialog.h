// The About box: the program's description and version from its version
// resource, the build time, the platform, the legal notices, and a text
// with two links (the maker's site, the acknowledgements page) that open
// in the default browser.
#pragma once

#include "plat/MarkUp.h"
#include "ui/win/Dialog.h"
#include "ui/win/Hyperlinks.h"

#include <string>

namespace ui {

class AboutDialog : public Dialog, public plat::MarkUp::LinkCallback {
public:
  enum {
    IconId = 1009,
    DescriptionId = 1004,
    VersionId = 1001,
    BuildTimeId = 1002,
    PlatformId = 1006,
    CopyrightId = 1003,
    TrademarkId = 1008,
    InformationId = 1007,
  };
  enum { SiteLink = 1, AcknowledgementsLink = 2 };

  // The icon is the program's, shown at 48 pixels at 96 DPI and in
  // proportion at other resolutions.
  explicit AboutDialog(ResourceId applicationIcon);
  ~AboutDialog() override;

  bool onInitDialog() override;
  INT_PTR handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  void linkClicked(int linkId) override;

  // The page a link opens, for a product version such as "4.6.0.51281".
  static std::string linkAddress(int linkId, const char* productVersion);
  // The mark-up of the information text.
  static std::string informationText();

private:
  Hyperlinks links_;
  Window description_;
  Window version_;
  Window buildTime_;
  Window platform_;
  Window copyright_;
  Window trademark_;
  Window information_;
  HICON icon_;
  plat::String productVersion_;
};

} // namespace ui
