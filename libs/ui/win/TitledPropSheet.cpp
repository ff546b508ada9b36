#include "ui/win/TitledPropSheet.h"
#include "os/win/StartupValues.h"
#include "plat/DString.h"
#include "ui/Logo.h"

#include <algorithm>
#include <cstring>

namespace ui {

namespace {

std::vector<Dialog*> pagesOf(const std::vector<SheetPage>& pages) {
  std::vector<Dialog*> list;
  for (const SheetPage& p : pages)
    list.push_back(p.page);
  return list;
}

// A caret in a title is the title's own, not a mark-up code.
void appendPlain(plat::DString* out, const char* text) {
  out->appendReplacing(text ? text : "", "^", "^^");
}

// Room between the banner's edges and its text.
const int BannerInset = 6;

} // namespace

TitledPropSheet::TitledPropSheet(const char* caption, const std::vector<SheetPage>& pages,
                                 HINSTANCE instance, HICON icon)
    : PropSheet(caption, pagesOf(pages), instance, icon), logo_(nullptr), logoWidth_(0),
      logoHeight_(0), bannerHeight_(0), text_(nullptr), logoControl_(nullptr), separator_(nullptr) {
  for (const SheetPage& p : pages)
    titles_.push_back({p.page, p.title, p.description});
  logo_ = LoadBitmapW(getInstance(), logoResourceName(os::screenDpi()));
  if (!logo_)
    throw plat::SystemException("LoadBitmap(logo)", (int)GetLastError());
  BITMAP size = {};
  if (!GetObjectW(logo_, sizeof(size), &size)) {
    DWORD error = GetLastError();
    DeleteObject(logo_);
    throw plat::SystemException("GetObject(logo)", (int)error);
  }
  logoWidth_ = size.bmWidth;
  logoHeight_ = bannerHeight_ = size.bmHeight;
}

TitledPropSheet::~TitledPropSheet() {
  for (HWND control : {text_, logoControl_, separator_})
    if (control)
      DestroyWindow(control);
  DeleteObject(logo_);
}

void TitledPropSheet::addPage(Dialog* page, const char* title, const char* description) {
  titles_.push_back({page, title, description});
  addPage(page);
}

void TitledPropSheet::removePage(Dialog* page) {
  for (auto it = titles_.begin(); it != titles_.end(); ++it) {
    if (it->page == page) {
      titles_.erase(it);
      break;
    }
  }
  PropSheet::removePage(page);
  updateBanner();
}

void TitledPropSheet::recalcPageSizes() {
  RECT before = {}, after = {};
  GetClientRect(getHandle(), &before);
  PropSheet::recalcPageSizes();
  GetClientRect(getHandle(), &after);
  int grown = after.right - before.right;
  if (grown && logoControl_) {
    moveChild(logoControl_, grown, 0, 0, 0);
    moveChild(text_, 0, 0, grown, 0);
  }
}

void TitledPropSheet::reserveBanner(const char* title, const char* description) {
  reserved_.push_back({nullptr, title, description});
}

void TitledPropSheet::onCreated() {
  HWND sheet = getHandle();
  RECT client;
  GetClientRect(sheet, &client);
  int width = client.right;
  auto make = [&](DWORD style, int x, int y, int w, int h) {
    HWND control = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                   sheet, nullptr, getInstance(), nullptr);
    if (!control)
      throw plat::SystemException("CreateWindowEx", (int)GetLastError());
    return control;
  };
  text_ = make(SS_OWNERDRAW, 0, 0, width - logoWidth_, logoHeight_);
  SendMessageW(text_, WM_SETFONT, (WPARAM)sheetFont(), FALSE);
  int banner = bannerHeight_ = neededHeight();
  SetWindowPos(text_, nullptr, 0, 0, width - logoWidth_, banner, SWP_NOMOVE | SWP_NOZORDER);
  logoControl_ = make(SS_BITMAP | SS_CENTERIMAGE, width - logoWidth_, 0, logoWidth_, banner);
  separator_ = make(SS_ETCHEDHORZ, 0, banner, width + 10, 0);
  SendMessageW(logoControl_, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)logo_);
  // The picture may size its control to itself.
  SetWindowPos(logoControl_, nullptr, 0, 0, logoWidth_, banner, SWP_NOMOVE | SWP_NOZORDER);

  RECT frame;
  GetWindowRect(sheet, &frame);
  SetWindowPos(sheet, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + banner,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND tab = (HWND)SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0);
  HWND page = (HWND)SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
  for (HWND control : {tab, page, sheetItem(IDOK), sheetItem(IDCANCEL), sheetItem(ApplyButton)})
    if (control)
      moveChild(control, 0, banner, 0, 0);
  updateBanner();
}

// The logo's height, unless a page's title and description need more.
int TitledPropSheet::neededHeight() {
  int needed = logoHeight_;
  HDC dc = GetDC(text_);
  HGDIOBJ oldFont = SelectObject(dc, sheetFont());
  for (const std::vector<Title>* list : {&titles_, &reserved_}) {
    for (const Title& t : *list) {
      RECT r;
      layOut(dc, t.title.c_str(), t.description.c_str(), &r);
      needed = std::max(needed, (int)r.bottom + BannerInset);
    }
  }
  renderer_.forget(text_);
  SelectObject(dc, oldFont);
  ReleaseDC(text_, dc);
  return needed;
}

void TitledPropSheet::layOut(HDC dc, const char* title, const char* description, RECT* area) {
  plat::DString markup;
  markup.append("^b");
  appendPlain(&markup, title);
  markup.append("^n\n^m+");
  appendPlain(&markup, description);
  GetClientRect(text_, area);
  area->left += BannerInset;
  area->top += BannerInset;
  area->right -= BannerInset; // the text keeps clear of the logo
  renderer_.initTabs(markup.c_str(), dc, area, text_, nullptr);
}

void TitledPropSheet::updateBanner() {
  HWND tab = getHandle() ? (HWND)SendMessageW(getHandle(), PSM_GETTABCONTROL, 0, 0) : nullptr;
  int i = tab ? (int)SendMessageW(tab, TCM_GETCURSEL, 0, 0) : -1;
  if (i >= 0 && i < (int)titles_.size())
    setBanner(titles_[i].title.c_str(), titles_[i].description.c_str());
  else
    setBanner("", "");
}

void TitledPropSheet::setBanner(const char* title, const char* description) {
  if (bannerTitle_.c_str() && bannerDescription_.c_str() &&
      strcmp(bannerTitle_.c_str(), title) == 0 &&
      strcmp(bannerDescription_.c_str(), description) == 0)
    return;
  bannerTitle_ = title;
  bannerDescription_ = description;
  if (text_) {
    renderer_.forget(text_);
    InvalidateRect(text_, nullptr, TRUE);
  }
}

void TitledPropSheet::paintBanner(const DRAWITEMSTRUCT* item) {
  HDC dc = item->hDC;
  FillRect(dc, &item->rcItem, (HBRUSH)GetStockObject(WHITE_BRUSH));
  SetBkColor(dc, RGB(255, 255, 255));
  HGDIOBJ oldFont = SelectObject(dc, sheetFont());
  if (!renderer_.isCompiled(text_)) {
    RECT r;
    layOut(dc, bannerTitle_.c_str(), bannerDescription_.c_str(), &r);
  }
  renderer_.draw(text_, dc);
  SelectObject(dc, oldFont);
}

LRESULT TitledPropSheet::controlHandle(WPARAM which) {
  switch (which) {
  case 0:
    return (LRESULT)text_;
  case 1:
    return (LRESULT)logoControl_;
  case 2:
    return (LRESULT)separator_;
  default:
    return PropSheet::controlHandle(which);
  }
}

LRESULT TitledPropSheet::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_DRAWITEM: {
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item && item->hwndItem == text_ && text_) {
      if (item->itemAction & ODA_DRAWENTIRE)
        paintBanner(item);
      return TRUE;
    }
    break;
  }
  case WM_NOTIFY: {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->code == (UINT)TCN_SELCHANGE)
      updateBanner();
    break;
  }
  case PSM_SETCURSEL:
  case PSM_SETCURSELID:
  case PSM_ISDIALOGMESSAGE: {
    // The page changes without a tab click too: by program, by Ctrl+Tab.
    LRESULT result = PropSheet::subclassProc(hwnd, message, wParam, lParam);
    if (IsWindow(hwnd))
      updateBanner();
    return result;
  }
  case WM_DESTROY:
    // The banner's controls go with the sheet.
    text_ = logoControl_ = separator_ = nullptr;
    break;
  }
  return PropSheet::subclassProc(hwnd, message, wParam, lParam);
}

} // namespace ui
