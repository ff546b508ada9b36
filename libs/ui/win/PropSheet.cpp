#include "ui/win/PropSheet.h"
#include "os/win/CentreWindow.h"
#include "plat/Assert.h"
#include "plat/LogWriter.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "plat/win/Unicode.h"

#include <commctrl.h>

namespace ui {

static plat::LogWriter vlog("PropSheet");

namespace {

// This thread's open sheets, newest first: the modal loop offers each
// message to all of them.
struct OpenSheet {
  HWND window;
  OpenSheet* next;
};
thread_local OpenSheet* openSheets;

void addOpenSheet(HWND window) { openSheets = new OpenSheet{window, openSheets}; }

void removeOpenSheet(HWND window) {
  for (OpenSheet** link = &openSheets; *link; link = &(*link)->next) {
    if ((*link)->window == window) {
      OpenSheet* gone = *link;
      *link = gone->next;
      delete gone;
      return;
    }
  }
}

// What the creation callback is to do to the sheet's template: it gets no
// parameter of ours.
thread_local bool keepHelp;

int CALLBACK sheetCallback(HWND, UINT message, LPARAM lParam) {
  if (message == PSCB_PRECREATE && lParam) {
    WORD* words = reinterpret_cast<WORD*>(lParam);
    // An extended template has its style at byte 12.
    DWORD* style = reinterpret_cast<DWORD*>(words[1] == 0xFFFF ? (BYTE*)words + 12 : (BYTE*)words);
    if (!keepHelp)
      *style &= ~(DWORD)DS_CONTEXTHELP;
    *style &= ~(DWORD)WS_VISIBLE;
  }
  return 0;
}

// The page object arrives in the PROPSHEETPAGEW that WM_INITDIALOG carries;
// from there on a page is a dialog like any other.
INT_PTR CALLBACK pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG && lParam)
    lParam = reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam;
  return Dialog::dialogProc(hwnd, message, wParam, lParam);
}

} // namespace

UINT PropSheet::getControlHandleMessage() {
  static UINT message = 0;
  if (!message) {
    message = RegisterWindowMessageW(L"Torvane.Ostrel.PropertySheet.GetControlHandle");
    if (!message)
      throw plat::SystemException("RegisterWindowMessage", (int)GetLastError());
  }
  return message;
}

PropSheet::PropSheet(const char* caption, const std::vector<Dialog*>& pages, HINSTANCE instance,
                     HICON icon)
    : Window(instance), caption_(caption), icon_(icon), applied_(false), hasApply_(false),
      parent_(nullptr), runningModally_(false), handlesInSheet_(false), subclass_(this) {
  for (Dialog* page : pages)
    createPage(page);
}

PropSheet::~PropSheet() {
  close();
  for (Page& p : pages_)
    if (p.handle)
      DestroyPropertySheetPage(p.handle);
}

HPROPSHEETPAGE PropSheet::makeHandle(Dialog* page) {
  PROPSHEETPAGEW psp = {};
  psp.dwSize = sizeof(psp);
  psp.hInstance = page->getInstance();
  psp.pszTemplate = page->dialogTemplate().resource();
  psp.pfnDlgProc = pageProc;
  psp.lParam = (LPARAM)page;
  page->setChangedCallback(this);
  HPROPSHEETPAGE handle = CreatePropertySheetPageW(&psp);
  if (!handle)
    throw plat::SystemException("CreatePropertySheetPage", (int)GetLastError());
  return handle;
}

HPROPSHEETPAGE PropSheet::createPage(Dialog* page) {
  HPROPSHEETPAGE handle = makeHandle(page);
  pages_.push_back({page, handle});
  return handle;
}

void PropSheet::addPage(Dialog* page) {
  HPROPSHEETPAGE handle = createPage(page);
  if (getHandle())
    SendMessageW(getHandle(), PSM_ADDPAGE, 0, (LPARAM)handle);
}

void PropSheet::removePage(Dialog* page) {
  for (auto it = pages_.begin(); it != pages_.end(); ++it) {
    if (it->page != page)
      continue;
    if (getHandle())
      SendMessageW(getHandle(), PSM_REMOVEPAGE, (WPARAM)-1, (LPARAM)it->handle);
    else if (it->handle)
      DestroyPropertySheetPage(it->handle);
    page->setChangedCallback(nullptr);
    pages_.erase(it);
    return;
  }
  plat::assertionFailed("page in the sheet", __FILE__, __LINE__);
}

void PropSheet::recalcPageSizes() { SendMessageW(getHandle(), PSM_RECALCPAGESIZES, 0, 0); }

std::vector<Dialog*> PropSheet::pages() const {
  std::vector<Dialog*> list;
  for (const Page& p : pages_)
    list.push_back(p.page);
  return list;
}

void PropSheet::changed(Dialog* page, bool changed) {
  if (getHandle() && page->getHandle())
    SendMessageW(getHandle(), changed ? PSM_CHANGED : PSM_UNCHANGED, (WPARAM)page->getHandle(), 0);
}

void PropSheet::show(HWND parent, bool hasApply, bool keepHelpButton) {
  if (HWND open = getHandle()) {
    SetForegroundWindow(open);
    InvalidateRect(open, nullptr, FALSE);
    return;
  }
  try {
    hasApply_ = hasApply;
    parent_ = parent;
    std::vector<HPROPSHEETPAGE> handles;
    for (Page& p : pages_) {
      if (!p.handle)
        p.handle = makeHandle(p.page); // shown before: that sheet took the old one
      handles.push_back(p.handle);
    }
    plat::WString caption(caption_.c_str());
    PROPSHEETHEADERW header = {};
    header.dwSize = PROPSHEETHEADERW_V1_SIZE;
    header.dwFlags = PSH_MODELESS | PSH_USECALLBACK | (hasApply ? 0 : PSH_NOAPPLYNOW) |
                     (icon_ ? PSH_USEHICON : 0);
    header.hwndParent = parent;
    header.hInstance = getInstance();
    header.hIcon = icon_;
    header.pszCaption = caption.c_str();
    header.nPages = (UINT)handles.size();
    header.nStartPage = 0;
    header.phpage = handles.data();
    header.pfnCallback = sheetCallback;
    keepHelp = keepHelpButton;
    INT_PTR created = PropertySheetW(&header);
    if (!created || created == -1)
      throw plat::SystemException("PropertySheet failed", (int)GetLastError());
    HWND sheet = (HWND)created;
    vlog.debug("\"%s\" shown with %d pages", caption_.c_str(), (int)handles.size());
    setHandle(sheet, false);
    handlesInSheet_ = true;

    if (parent)
      SetWindowPos(sheet, parent, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    subclass_.subclass(sheet);
    onCreated();
    os::centreWindow(sheet, parent);
    ShowWindow(sheet, SW_SHOW);
    addOpenSheet(sheet);
    if (parent)
      EnableWindow(parent, FALSE);
  } catch (...) {
    close();
    throw;
  }
}

void PropSheet::close() {
  if (HWND sheet = getHandle()) {
    removeOpenSheet(sheet);
    setHandle(nullptr, false);
    // The owner first, so that activation goes back to it.
    if (parent_) {
      EnableWindow(parent_, TRUE);
      SetForegroundWindow(parent_);
    }
    DestroyWindow(sheet);
  }
  if (handlesInSheet_) {
    for (Page& p : pages_)
      p.handle = nullptr;
    handlesInSheet_ = false;
  }
  for (Page& p : pages_)
    p.page->setChangedCallback(nullptr);
}

bool PropSheet::hasEnded() const {
  return !getHandle() || !SendMessageW(getHandle(), PSM_GETCURRENTPAGEHWND, 0, 0);
}

bool PropSheet::offerToSheets(MSG* msg) {
  for (OpenSheet* s = openSheets; s; s = s->next)
    if (SendMessageW(s->window, PSM_ISDIALOGMESSAGE, 0, (LPARAM)msg))
      return true;
  return false;
}

void PropSheet::dispatch(MSG* msg) {
  if (getHandle() && (Dialog::isDialogMessage(msg) || offerToSheets(msg)))
    return;
  TranslateMessage(msg);
  DispatchMessageW(msg);
}

bool PropSheet::runModal(HWND parent, plat::EventManager* source, bool hasApply,
                         bool keepHelpButton) {
  show(parent, hasApply, keepHelpButton);
  runningModally_ = true;
  applied_ = false;
  bool quit = false;
  WPARAM exitCode = 0;
  try {
    while (!hasEnded()) {
      MSG msg;
      if (source) {
        plat::TimerManager* timers = plat::TimerManager::threadInstanceOrNull();
        if (!source->awaitEvent(&msg, timers ? timers->processTimers() : -1))
          continue;
      } else {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got < 0)
          throw plat::SystemException("GetMessage", (int)GetLastError());
      }
      if (msg.message == WM_QUIT) {
        quit = true;
        exitCode = msg.wParam;
        break;
      }
      dispatch(&msg);
    }
  } catch (...) {
    runningModally_ = false;
    close();
    throw;
  }
  runningModally_ = false;
  close();
  // The loop took the program's WM_QUIT: its own loop must still see it.
  if (quit) {
    vlog.info("\"%s\" closed: the program is ending", caption_.c_str());
    PostQuitMessage((int)exitCode);
  }
  return applied_;
}

LRESULT PropSheet::applyThrough(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = callSheetProc(hwnd, message, wParam, lParam);
  for (const Page& p : pages_) {
    HWND window = p.page->getHandle();
    if (window && GetWindowLongPtrW(window, DWLP_MSGRESULT) != 0)
      return result;
  }
  onApplied();
  return result;
}

LRESULT PropSheet::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == getControlHandleMessage())
    return controlHandle(wParam);
  switch (message) {
  case WM_COMMAND:
    // The close request goes after the sheet's own handling: the pages
    // apply or reset first, and the sheet then says whether it ended.
    if (HIWORD(wParam) == BN_CLICKED) {
      switch (LOWORD(wParam)) {
      case IDOK: {
        LRESULT result = applyThrough(hwnd, message, wParam, lParam);
        SendMessageW(hwnd, CloseRequest, 0, 0);
        return result;
      }
      case ApplyButton:
        return applyThrough(hwnd, message, wParam, lParam);
      case IDCANCEL: {
        applied_ = false;
        LRESULT result = callSheetProc(hwnd, message, wParam, lParam);
        SendMessageW(hwnd, CloseRequest, 0, 0);
        return result;
      }
      }
    }
    break;
  case WM_SYSCOMMAND:
    if ((wParam & 0xFFF0) == SC_CLOSE) {
      LRESULT result = callSheetProc(hwnd, message, wParam, lParam);
      if (IsWindow(hwnd))
        SendMessageW(hwnd, CloseRequest, 0, 0);
      return result;
    }
    break;
  case CloseRequest:
    if (!runningModally_ && hasEnded())
      close();
    return 1;
  }
  return callSheetProc(hwnd, message, wParam, lParam);
}

} // namespace ui
