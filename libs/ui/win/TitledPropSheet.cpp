#include "ui/win/TitledPropSheet.h"
#include "os/win/StartupValues.h"
#include "plat/DString.h"
#include "ui/Logo.h"

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
      logoHeight_(0), text_(nullptr), logoControl_(nullptr), separator_(nullptr) {
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
  logoHeight_ = size.bmHeight;
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

void TitledPropSheet::onCreated() {
  HWND sheet = getHandle();
  int banner = logoHeight_;
  RECT frame;
  GetWindowRect(sheet, &frame);
  SetWindowPos(sheet, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + banner,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND tab = (HWND)SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0);
  HWND page = (HWND)SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
  for (HWND control : {tab, page, sheetItem(IDOK), sheetItem(IDCANCEL), sheetItem(ApplyButton)})
    if (control)
      moveChild(control, 0, banner, 0, 0);

  RECT client;
  GetClientRect(sheet, &client);
  int width = client.right;
  auto make = [&](DWORD style, int x, int y, int w, int h) {
    return CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, sheet,
                           nullptr, getInstance(), nullptr);
  };
  text_ = make(SS_OWNERDRAW, 0, 0, width - logoWidth_, banner);
  logoControl_ = make(SS_BITMAP, width - logoWidth_, 0, logoWidth_, banner);
  separator_ = make(SS_ETCHEDHORZ, 0, banner, width + 10, 0);
  if (!text_ || !logoControl_ || !separator_)
    throw plat::SystemException("CreateWindowEx", (int)GetLastError());
  SendMessageW(logoControl_, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)logo_);
  SendMessageW(text_, WM_SETFONT, (WPARAM)sheetFont(), FALSE);
  updateBanner();
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
    plat::DString markup;
    markup.append("^b");
    appendPlain(&markup, bannerTitle_.c_str());
    markup.append("^n\n^m+");
    appendPlain(&markup, bannerDescription_.c_str());
    RECT r;
    GetClientRect(text_, &r);
    r.left += BannerInset;
    r.top += BannerInset;
    r.right -= BannerInset; // the text keeps clear of the logo
    renderer_.initTabs(markup.c_str(), dc, &r, text_, nullptr);
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
  case WM_DESTROY:
    // The banner's controls go with the sheet.
    text_ = logoControl_ = separator_ = nullptr;
    break;
  }
  return PropSheet::subclassProc(hwnd, message, wParam, lParam);
}

} // namespace ui
