#include "PageDriver.h"
#include "testing/ModalHelper.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"
#include "viewerconfig/win/ControlIds.h"
#include "viewerconfig/win/PrinterInfo.h"
#include "viewerconfig/win/ViewerPages.h"

using namespace page_driver;
using testing_support::ModalHelper;

namespace {

// An entry's properties sheet as the address book makes it, shown
// modeless on the test's thread.
struct EntrySheet : PageTest {
  EntrySheet()
      : flags("EntrySheet"), advanced("AdvancedOptions", "", false, 0, &flags),
        server(&o, L"HOST_PAGE"), pages(&o) {}
  std::unique_ptr<ui::PropertiesDialog> open(bool advancedSet) {
    advanced.setValue(advancedSet, 50);
    ui::SheetPage host = {&server, "Kiv Server Options", "The server."};
    std::unique_ptr<ui::PropertiesDialog> sheet(
        new ui::PropertiesDialog("Properties", pages.basicSet(host), pages.advancedSet(host),
                                 &pages.expert, &advanced, true));
    sheet->show(nullptr, false, false);
    return sheet;
  }
  plat::Configuration flags;
  plat::BoolParameter advanced;
  ui::ConfigDialog server;
  viewerconfig::ViewerPages pages;
};

int tabCount(ui::PropSheet& sheet) {
  HWND tab = (HWND)SendMessageW(sheet.getHandle(), PSM_GETTABCONTROL, 0, 0);
  return (int)SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0);
}

HWND select(ui::PropSheet& sheet, int index) {
  SendMessageW(sheet.getHandle(), PSM_SETCURSEL, index, 0);
  return (HWND)SendMessageW(sheet.getHandle(), PSM_GETCURRENTPAGEHWND, 0, 0);
}

void clickToggle(ui::PropSheet& sheet) {
  HWND toggle = (HWND)SendMessageW(sheet.getHandle(), ui::PropSheet::getControlHandleMessage(),
                                   ui::PropertiesDialog::ToggleButton, 0);
  SendMessageW(sheet.getHandle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), (LPARAM)toggle);
}

void pressOk(ui::PropSheet& sheet) {
  SendMessageW(sheet.getHandle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

} // namespace

TEST_F(EntrySheet, OpeningVisitingEveryPageAndOkChangesNoOption) {
  o.sendKeyEvents.setParam("0", 50);
  o.clientCutText.setParam("0", 50);
  o.acceptBell.setParam("0", 0);
  o.shareFiles.setParam("0", 0);
  o.scaling.setParam("50%", 50);
  o.pointerEventInterval.setParam("35", 50);
  std::string before = entry_fixture::dump(o), file = entry_fixture::fileText(o);
  auto sheet = open(true);
  for (int round = 0; round < 3; round++) {
    for (int i = 0; i < tabCount(*sheet); i++)
      select(*sheet, i);
    if (round < 2)
      clickToggle(*sheet);
  }
  EXPECT_EQ(6, tabCount(*sheet)); // advanced, basic, advanced again
  pressOk(*sheet);
  EXPECT_EQ(nullptr, sheet->getHandle());
  EXPECT_TRUE(sheet->isApplied());
  EXPECT_EQ(before, entry_fixture::dump(o));
  EXPECT_EQ(file, entry_fixture::fileText(o));
}

TEST_F(EntrySheet, AnInvalidProxyIsRefusedBeforeTheSwitchOrOkCanDropIt) {
  o.proxyServer.setParam("", 50);
  auto sheet = open(true);
  HWND connection = select(*sheet, 3);
  click(connection, IDC_MANUAL_PROXY);
  std::vector<std::wstring> messages;
  {
    ModalHelper helper;
    for (int i = 0; i < 2; i++)
      helper.expect(L"Ostrel Viewer Options Tests", [&](HWND box) {
        messages.push_back(testing_support::staticTexts(box));
        ModalHelper::dismiss(box);
      });
    clickToggle(*sheet);
    EXPECT_EQ(6, tabCount(*sheet)); // still the advanced set
    EXPECT_TRUE(advanced.getValue());
    pressOk(*sheet);
    EXPECT_NE(nullptr, sheet->getHandle());
    EXPECT_TRUE(helper.problems().empty());
  }
  pump();
  EXPECT_EQ(item(connection, IDC_PROXY_ADDRESS), GetFocus());
  ASSERT_EQ(2u, messages.size());
  for (const std::wstring& m : messages)
    EXPECT_NE(std::wstring::npos,
              m.find(L"The proxy address and port number are not valid.  You must enter either "
                     L"hostname:port, IPv4-address:port or [IPv6-address]:port."))
        << testing_support::utf8(m);
  EXPECT_EQ("proxyserver:port", value(o.proxyServer));

  type(connection, IDC_PROXY_ADDRESS, L"[::1]:3128");
  clickToggle(*sheet);
  EXPECT_EQ(2, tabCount(*sheet));
  pressOk(*sheet);
  EXPECT_EQ(nullptr, sheet->getHandle());
  EXPECT_EQ("[::1]:3128", value(o.proxyServer));
}

TEST_F(EntrySheet, ThePrintingChoiceWritesAndTheNotesAndDefaultBoxFollow) {
  auto sheet = open(true);
  HWND printing = select(*sheet, 4);
  bool hasPrinter = true;
  try {
    viewerconfig::PrinterInfo printer;
    printer.getDefaultPrinter();
  } catch (const plat::Exception&) {
    hasPrinter = false; // as under Wine without a print system
  }
  const char* sharedStart =
      hasPrinter ? "Your default printer will be shared as '" : "There is no default printer.";
  EXPECT_EQ(0u, pages.printing.notes().find(sharedStart)) << pages.printing.notes();
  EXPECT_EQ(BST_CHECKED, check(printing, IDC_SHARE_PRINTER));
  EXPECT_TRUE(enabled(printing, IDC_SERVER_DEFAULT_PRINTER));

  click(printing, IDC_NO_PRINTER);
  EXPECT_EQ("0", value(o.enableRemotePrinting));
  EXPECT_EQ(50, o.enableRemotePrinting.getPriority());
  EXPECT_FALSE(enabled(printing, IDC_SERVER_DEFAULT_PRINTER));
  EXPECT_EQ("Your printer will not be shared.\n\nRemote printing will not be available.",
            pages.printing.notes());

  click(printing, IDC_SHARE_PRINTER);
  EXPECT_EQ("1", value(o.enableRemotePrinting));
  EXPECT_TRUE(enabled(printing, IDC_SERVER_DEFAULT_PRINTER));
  EXPECT_EQ(0u, pages.printing.notes().find(sharedStart));
  click(printing, IDC_SERVER_DEFAULT_PRINTER);
  EXPECT_EQ("0", value(o.changeServerDefaultPrinter));
}
