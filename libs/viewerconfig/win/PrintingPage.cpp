#include "viewerconfig/win/PrintingPage.h"
#include "ledrow/data/ConnOptions.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"
#include "viewerconfig/PrinterNotes.h"
#include "viewerconfig/win/ControlIds.h"
#include "viewerconfig/win/PrinterInfo.h"

#include <uxtheme.h>

namespace viewerconfig {

static plat::LogWriter vlog("PrintingPage");

namespace {

ui::CheckboxWidget::State checkedIf(bool on) {
  return on ? ui::CheckboxWidget::Checked : ui::CheckboxWidget::Unchecked;
}

std::string computerName() {
  wchar_t name[16] = {0};
  DWORD size = 16;
  if (!GetComputerNameW(name, &size))
    return std::string();
  return plat::String::adopt(plat::W2MB(name)).c_str();
}

} // namespace

PrintingPage::PrintingPage(addrbook::CConnOptions* options)
    : ui::ConfigDialog(options, L"PRINTING_DIALOG"), options_(options) {}

bool PrintingPage::onInitDialog() {
  share_.wrap(getDlgItem(IDC_SHARE_PRINTER));
  noShare_.wrap(getDlgItem(IDC_NO_PRINTER));
  serverDefault_.wrap(getDlgItem(IDC_SERVER_DEFAULT_PRINTER));
  notesControl_.wrap(getDlgItem(IDC_PRINTER_NOTES));
  serverDefault_.setText("Make it the default printer on Kiv Server");
  sync().bindCheckbox(&serverDefault_, &options_->changeServerDefaultPrinter, "1", "0");
  setToolTip(IDC_SHARE_PRINTER,
             "Enables you to print Kiv Server files directly to a printer attached to Kiv "
             "Viewer.",
             300);
  setToolTip(IDC_NO_PRINTER, "Prevents you from printing files.", 300);
  return false;
}

void PrintingPage::onShow() {
  bool shared = options_->enableRemotePrinting.getValue();
  share_.setState(checkedIf(shared));
  noShare_.setState(checkedIf(!shared));
  serverDefault_.setEnabled(shared);
  ui::ConfigDialog::onShow();
  updateNotes();
}

bool PrintingPage::onCommand(int id, int code) {
  if (code == BN_CLICKED &&
      (id == IDC_SERVER_DEFAULT_PRINTER || id == IDC_SHARE_PRINTER || id == IDC_NO_PRINTER)) {
    updateNotes();
    if (id != IDC_SERVER_DEFAULT_PRINTER)
      options_->enableRemotePrinting.setValue(id == IDC_SHARE_PRINTER, priority_);
  }
  return ui::ConfigDialog::onCommand(id, code);
}

// The default-printer box follows the share choice whether or not there
// is a printer to share.
void PrintingPage::updateNotes() {
  bool shared = noShare_.getState() != ui::CheckboxWidget::Checked;
  bool makeDefault = serverDefault_.getState() == ui::CheckboxWidget::Checked;
  if (!shared) {
    notes_ = printingNotes(false, nullptr, std::string(), makeDefault);
  } else {
    try {
      PrinterInfo printer;
      printer.getDefaultPrinter();
      plat::String display = plat::String::adopt(plat::W2MB(printer.displayName().c_str()));
      notes_ = printingNotes(true, display.c_str(), computerName(), makeDefault);
    } catch (const plat::Exception& e) {
      vlog.info("%s", e.str());
      notes_ = printingNotes(true, nullptr, std::string(), makeDefault);
    }
  }
  serverDefault_.setEnabled(share_.getState() == ui::CheckboxWidget::Checked);
  if (HWND notes = notesControl_.getHandle()) {
    renderer_.forget(notes);
    InvalidateRect(notes, nullptr, TRUE);
  }
}

// On the page's own background: a themed page is no plain button face.
void PrintingPage::drawNotes(const DRAWITEMSTRUCT* item) {
  HDC dc = item->hDC;
  RECT area = item->rcItem;
  if (FAILED(DrawThemeParentBackground(item->hwndItem, dc, &area)))
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageW(getHandle(), WM_GETFONT, 0, 0));
  if (!renderer_.isCompiled(item->hwndItem)) {
    RECT r;
    GetClientRect(item->hwndItem, &r);
    renderer_.initTabs(notes_.c_str(), dc, &r, item->hwndItem, nullptr);
  }
  renderer_.draw(item->hwndItem, dc);
  SelectObject(dc, oldFont);
  SetBkMode(dc, oldMode);
}

INT_PTR PrintingPage::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item && notesControl_.getHandle() && item->hwndItem == notesControl_.getHandle()) {
      if (item->itemAction & ODA_DRAWENTIRE)
        drawNotes(item);
      return TRUE;
    }
  }
  if (renderer_.handleDialogMessage(hwnd, message, wParam, lParam))
    return TRUE;
  return ui::ConfigDialog::handleMessage(hwnd, message, wParam, lParam);
}

} // namespace viewerconfig
