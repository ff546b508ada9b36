// A property sheet with a white banner above its tabs: the current page's
// title in bold, its description below, and the product logo on the right.
#pragma once

#include "ui/win/Hyperlinks.h"
#include "ui/win/PropSheet.h"

namespace ui {

// A page with what the banner says about it.
struct SheetPage {
  Dialog* page;
  const char* title;
  const char* description;
};

class TitledPropSheet : public PropSheet {
public:
  // Throws plat::SystemException "LoadBitmap(logo)" or "GetObject(logo)".
  TitledPropSheet(const char* caption, const std::vector<SheetPage>& pages,
                  HINSTANCE instance = nullptr, HICON icon = nullptr);
  ~TitledPropSheet() override;

  using PropSheet::addPage;
  // Appends the page with its banner texts.
  virtual void addPage(Dialog* page, const char* title, const char* description);
  void removePage(Dialog* page) override;
  void recalcPageSizes() override;
  void onCreated() override;
  LRESULT subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The logo's height, or more where a page's texts need it.
  int bannerHeight() const { return bannerHeight_; }
  // What the banner says now.
  const char* bannerTitle() const { return bannerTitle_.c_str(); }
  const char* bannerDescription() const { return bannerDescription_.c_str(); }

protected:
  LRESULT controlHandle(WPARAM which) override;
  // The banner shows the selected tab's page.
  void updateBanner();
  // Texts of a page that may be added later, for the banner to make room.
  void reserveBanner(const char* title, const char* description);

private:
  struct Title {
    Dialog* page;
    plat::String title;
    plat::String description;
  };
  void setBanner(const char* title, const char* description);
  void paintBanner(const DRAWITEMSTRUCT* item);
  // Lays the banner's text out into its control.
  void layOut(HDC dc, const char* title, const char* description, RECT* area);
  int neededHeight();

  // The banner's texts and their renderer.
  plat::String bannerTitle_;
  plat::String bannerDescription_;
  Hyperlinks renderer_;
  HBITMAP logo_;
  int logoWidth_;
  int logoHeight_;
  int bannerHeight_;
  HWND text_;
  HWND logoControl_;
  HWND separator_;
  std::vector<Title> titles_;
  std::vector<Title> reserved_;
};

} // namespace ui
