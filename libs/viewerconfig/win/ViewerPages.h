// The viewer-options pages of one entry's options, with the titles and
// descriptions that a titled sheet's banner shows for them, in the order of
// the two page sets: ready to be put into an entry's properties sheet with
// the server page in front.
#pragma once

#include "ui/win/AdvancedDialog.h"
#include "ui/win/TitledPropSheet.h"
#include "viewerconfig/win/BasicOptionsDlg.h"
#include "viewerconfig/win/ConnectionPage.h"
#include "viewerconfig/win/DisplayPage.h"
#include "viewerconfig/win/InputsPage.h"
#include "viewerconfig/win/PrintingPage.h"

#include <vector>

namespace viewerconfig {

struct ViewerPages {
  // The options must outlive the pages; every page writes to them at once.
  explicit ViewerPages(addrbook::CConnOptions* options);

  // server first, then the basic page.
  std::vector<ui::SheetPage> basicSet(const ui::SheetPage& server);
  // server first, then display, inputs, connection, printing and the
  // expert list.
  std::vector<ui::SheetPage> advancedSet(const ui::SheetPage& server);

  BasicOptionsDlg basic;
  DisplayPage display;
  InputsPage inputs;
  ConnectionPage connection;
  PrintingPage printing;
  ui::AdvancedDialog expert;
};

} // namespace viewerconfig
