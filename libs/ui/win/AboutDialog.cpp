#include "ui/win/AboutDialog.h"
#include "os/win/FileVersionInfo.h"
#include "os/win/StartupValues.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"
#include "plat/win/AppInit.h"
#include "plat/win/Unicode.h"

#include <shellapi.h>

namespace ui {

static plat::LogWriter vlog("AboutDialog");

// The version block's strings in UK English, Unicode.
static const DWORD versionLanguage = 0x080904B0;

AboutDialog::AboutDialog(ResourceId applicationIcon)
    : Dialog(L"ABOUT_DIALOG"), icon_(nullptr) {
  int size = 48 * os::screenDpi() / 96;
  icon_ = (HICON)LoadImageW(getInstance(), applicationIcon.resource(), IMAGE_ICON, size, size,
                            LR_DEFAULTCOLOR);
}

AboutDialog::~AboutDialog() {
  // The window shows the icon: it goes first.
  if (getHandle())
    end(false);
  if (icon_)
    DestroyIcon(icon_);
}

std::string AboutDialog::informationText() {
  std::string text = "See ^1{";
  text += plat::AboutText::webSite;
  text += "^} for more information on Kiv.\n\nClick ^2{here^} for third party acknowledgements.";
  return text;
}

std::string AboutDialog::linkAddress(int linkId, const char* productVersion) {
  plat::DString address;
  address.append(plat::AboutText::webSite);
  if (linkId == AcknowledgementsLink)
    address.appendf("/products/ostrel/%.3s/acknowledgements.html", productVersion);
  return address.c_str();
}

bool AboutDialog::onInitDialog() {
  Window* controls[] = {&description_, &version_,   &buildTime_,  &platform_,
                        &copyright_,   &trademark_, &information_};
  int ids[] = {DescriptionId, VersionId, BuildTimeId, PlatformId, CopyrightId, TrademarkId,
               InformationId};
  for (int i = 0; i < 7; i++)
    controls[i]->wrap(getDlgItem(ids[i]));

  const plat::AboutText& about = plat::appInfo().about;
  plat::DString caption;
  caption.appendf("About %s", about.shortProductName.c_str());
  setText(caption.c_str());
  try {
    os::FileVersionInfo block;
    description_.setText(block.getString("FileDescription", versionLanguage));
    productVersion_ = block.getString("ProductVersion", versionLanguage);
    version_.setText(productVersion_.c_str());
  } catch (const plat::Exception& e) {
    vlog.error("version resource: %s", e.str());
  }
  buildTime_.setText(plat::AboutText::builtOn);
  platform_.setText(about.platformText.c_str());
  copyright_.setText(plat::AboutText::copyrightLine);
  trademark_.setText(plat::AboutText::trademarkLine);
  if (icon_)
    SendDlgItemMessageW(getHandle(), IconId, STM_SETICON, (WPARAM)icon_, 0);
  return false;
}

INT_PTR AboutDialog::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item && item->hwndItem == information_.getHandle() && information_.getHandle()) {
      if (item->itemAction & ODA_DRAWENTIRE) {
        HDC dc = item->hDC;
        FillRect(dc, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageW(hwnd, WM_GETFONT, 0, 0));
        if (!links_.isCompiled(item->hwndItem)) {
          RECT r;
          GetClientRect(item->hwndItem, &r);
          links_.initTabs(informationText().c_str(), dc, &r, item->hwndItem, this);
        }
        links_.draw(item->hwndItem, dc);
        SelectObject(dc, oldFont);
      }
      return TRUE;
    }
  }
  if (links_.handleDialogMessage(hwnd, message, wParam, lParam))
    return TRUE;
  return Dialog::handleMessage(hwnd, message, wParam, lParam);
}

void AboutDialog::linkClicked(int linkId) {
  std::string address =
      linkAddress(linkId, productVersion_.isNull() ? "" : productVersion_.c_str());
  plat::WString wide(address.c_str());
  HINSTANCE result =
      ShellExecuteW(getHandle(), L"open", wide.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
  if ((INT_PTR)result <= 32)
    vlog.error("opening %s failed: %d", address.c_str(), (int)(INT_PTR)result);
}

} // namespace ui
