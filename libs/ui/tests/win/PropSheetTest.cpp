#include "OptionPages.h"
#include "plat/win/AppInit.h"
#include "plat/win/Unicode.h"
#include "testing/ModalHelper.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"
#include "ui/win/AdvancedDialog.h"
#include "ui/win/PropertiesDialog.h"
#include "ui/win/TitledPropSheet.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

using namespace option_pages;
using testing_support::ModalHelper;

namespace {

// Every option's value at every priority.
std::string dump(Options& o) {
  std::string all;
  for (plat::ConfigParameter* p = o.head(); p; p = p->next()) {
    std::map<int, plat::String> values;
    p->getValues(&values);
    for (auto& v : values)
      all +=
          std::string(p->getName()) + ":" + std::to_string(v.first) + "=" + v.second.c_str() + "\n";
  }
  return all;
}

std::vector<std::wstring> tabs(HWND sheet) {
  HWND tab = (HWND)SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0);
  std::vector<std::wstring> names;
  int count = (int)SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    wchar_t text[64] = {0};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(tab, TCM_GETITEMW, i, (LPARAM)&item);
    names.push_back(text);
  }
  return names;
}

HWND control(HWND sheet, WPARAM which) {
  return (HWND)SendMessageW(sheet, ui::PropSheet::getControlHandleMessage(), which, 0);
}

void clickToggle(HWND sheet) {
  HWND toggle = control(sheet, ui::PropertiesDialog::ToggleButton);
  SendMessageW(sheet, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), (LPARAM)toggle);
}

HWND currentPage(HWND sheet) { return (HWND)SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0); }

struct Sheets : testing::Test {
  static void SetUpTestSuite() {
    testing::internal::CaptureStderr();
    plat::appInit("uitests", nullptr);
    testing::internal::GetCapturedStderr();
  }
  Sheets()
      : flags("Sheets"), advanced("AdvancedOptions", "", false, 0, &flags), server(serverPage(&o)),
        basic(&o), inputs(inputsPage(&o)), printing(printingPage(&o)), expert(&o, nullptr) {
    loadEntry(&o);
  }
  std::vector<ui::SheetPage> basicSet() {
    return {{server.get(), "Kiv Server Options", "Configure the server and its user name."},
            {&basic, "Basic Options", "The most common options."}};
  }
  std::vector<ui::SheetPage> advancedSet() {
    return {{server.get(), "Kiv Server Options", "Configure the server and its user name."},
            {inputs.get(), "Input Options", "Keyboard, mouse and clipboard."},
            {printing.get(), "Printing Options", "Printers shared with the server."},
            {&expert, "Advanced Options", "Every option by name."}};
  }
  Options o;
  plat::Configuration flags;
  plat::BoolParameter advanced;
  std::unique_ptr<Page> server;
  BasicPage basic;
  std::unique_ptr<Page> inputs;
  std::unique_ptr<Page> printing;
  ui::AdvancedDialog expert;
};

} // namespace

TEST_F(Sheets, VisitingEveryTabAndSwitchingSetsTwiceChangesNoOption) {
  std::string before = dump(o);
  ui::PropertiesDialog sheet("Properties", basicSet(), advancedSet(), &expert, &advanced, true);
  std::vector<std::vector<std::wstring>> seen;
  std::vector<std::wstring> toggleTexts;
  // The banner of each tab visited, and after each switch of sets (which
  // removes the page shown) beside the tab then shown.
  std::vector<std::string> banners, switched;
  auto banner = [&sheet] {
    return std::string(sheet.bannerTitle()) + " | " + sheet.bannerDescription();
  };
  std::atomic<bool> flagAt50{false};
  ModalHelper helper;
  helper.expect(L"Properties", [&](HWND w) {
    HWND toggle = control(w, ui::PropertiesDialog::ToggleButton);
    for (int round = 0; round < 3; round++) {
      seen.push_back(tabs(w));
      toggleTexts.push_back(testing_support::windowText(toggle));
      HWND tab = (HWND)SendMessageW(w, PSM_GETTABCONTROL, 0, 0);
      int shown = (int)SendMessageW(tab, TCM_GETCURSEL, 0, 0);
      switched.push_back(plat::String::adopt(plat::W2MB(seen.back().at(shown).c_str())).c_str() +
                         std::string(": ") + banner());
      for (size_t i = 0; i < seen.back().size(); i++) {
        SendMessageW(w, PSM_SETCURSEL, i, 0);
        banners.push_back(banner());
      }
      if (round < 2)
        clickToggle(w);
      if (round == 0)
        flagAt50 = advanced.getPriority() == 50 && advanced.getValue();
    }
    testing_support::clickButton(w, IDOK);
  });
  EXPECT_TRUE(sheet.runModal(nullptr, nullptr, false, false));
  EXPECT_TRUE(helper.problems().empty());
  std::vector<std::wstring> basicTabs = {L"Server", L"Basic"};
  std::vector<std::wstring> advancedTabs = {L"Server", L"Inputs", L"Printing", L"Expert"};
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ(basicTabs, seen[0]);
  EXPECT_EQ(advancedTabs, seen[1]);
  EXPECT_EQ(basicTabs, seen[2]);
  const std::string onServer = "Kiv Server Options | Configure the server and its user name.",
                    onBasic = "Basic Options | The most common options.",
                    onInputs = "Input Options | Keyboard, mouse and clipboard.",
                    onPrinting = "Printing Options | Printers shared with the server.",
                    onExpert = "Advanced Options | Every option by name.";
  EXPECT_EQ((std::vector<std::string>{onServer, onBasic, onServer, onInputs, onPrinting, onExpert,
                                      onServer, onBasic}),
            banners);
  const std::map<std::string, std::string> byTab = {{"Server", onServer},
                                                    {"Basic", onBasic},
                                                    {"Inputs", onInputs},
                                                    {"Printing", onPrinting},
                                                    {"Expert", onExpert}};
  ASSERT_EQ(3u, switched.size());
  EXPECT_EQ("Server: " + onServer, switched[0]);
  for (const std::string& said : switched) {
    std::string tab = said.substr(0, said.find(':'));
    EXPECT_EQ(tab + ": " + byTab.at(tab), said);
  }
  EXPECT_EQ(std::wstring(L"A&dvanced..."), toggleTexts[0]);
  EXPECT_EQ(std::wstring(L"&Basic..."), toggleTexts[1]);
  EXPECT_TRUE(flagAt50);
  EXPECT_FALSE(advanced.getValue());
  EXPECT_EQ(before, dump(o)) << "no option may change by looking";
  EXPECT_EQ(nullptr, server->changedCallback());
}

TEST_F(Sheets, CancelAfterApplyReportsNoChangeAndEditsReachTheOptions) {
  advanced.setParam("1", 50);
  ui::PropertiesDialog sheet("Properties", basicSet(), advancedSet(), &expert, &advanced, true);
  bool applyEnabled = false, toggleLeftOfButtons = false;
  ModalHelper helper;
  helper.expect(L"Properties", [&](HWND w) {
    SendMessageW(w, PSM_SETCURSEL, 2, 0); // Printing
    SendMessageW(GetDlgItem(currentPage(w), IDC_PRINTING), BM_CLICK, 0, 0);
    applyEnabled = IsWindowEnabled(GetDlgItem(w, ui::PropSheet::ApplyButton)) != 0;
    RECT toggle, cancel;
    GetWindowRect(control(w, ui::PropertiesDialog::ToggleButton), &toggle);
    GetWindowRect(GetDlgItem(w, IDCANCEL), &cancel);
    toggleLeftOfButtons = toggle.right < cancel.left && toggle.top == cancel.top;
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(ui::PropSheet::ApplyButton, BN_CLICKED), 0);
    testing_support::clickButton(w, IDCANCEL);
  });
  EXPECT_FALSE(sheet.runModal(nullptr, nullptr, true, false));
  EXPECT_TRUE(applyEnabled);
  EXPECT_TRUE(toggleLeftOfButtons);
  EXPECT_FALSE(o.enableRemotePrinting.getValue()); // the click was written at once
}

TEST_F(Sheets, ABadValueIsRefusedWithAMessageAndTheOptionKept) {
  advanced.setParam("1", 50);
  ui::PropertiesDialog sheet("Properties", basicSet(), advancedSet(), &expert, &advanced, true);
  std::wstring message, shownAfter, longProxy(300, L'\x00f8');
  bool stillOpen = false;
  ModalHelper helper;
  helper.expect(L"Properties", [&](HWND w) {
    SetWindowTextW(GetDlgItem(currentPage(w), IDC_PROXY), longProxy.c_str());
    SendMessageW(w, PSM_SETCURSEL, 1, 0); // Inputs
    SetWindowTextW(GetDlgItem(currentPage(w), IDC_INTERVAL), L"abc");
    testing_support::clickButton(w, IDOK);
  });
  helper.expect(L"Ostrel Toolkit Tests", [&](HWND box) {
    message = testing_support::staticTexts(box);
    ModalHelper::dismiss(box);
  });
  helper.expect(L"Properties", [&](HWND w) {
    stillOpen = currentPage(w) != nullptr;
    shownAfter = testing_support::windowText(GetDlgItem(currentPage(w), IDC_INTERVAL));
    testing_support::clickButton(w, IDOK);
  });
  EXPECT_TRUE(sheet.runModal(nullptr, nullptr, false, false));
  EXPECT_TRUE(helper.problems().empty());
  EXPECT_NE(std::wstring::npos,
            message.find(L"\"abc\" is not a valid value for PointerEventInterval"))
      << testing_support::utf8(message);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(L"20", shownAfter);
  EXPECT_EQ(20, o.pointerEventInterval.getValue());
  plat::WString stored(o.proxyServer.getValueStr().c_str());
  EXPECT_EQ(longProxy, stored.c_str()); // not cut at 255
}

TEST_F(Sheets, APolicyOnTheSwitchStillSwapsTheSetShownAndTheLoopKeepsWmQuit) {
  advanced.setParam("0", 0); // fixed by policy
  ui::PropertiesDialog sheet("Properties", basicSet(), advancedSet(), &expert, &advanced, true);
  std::vector<std::vector<std::wstring>> seen;
  ModalHelper helper;
  helper.expect(L"Properties", [&](HWND w) {
    for (int i = 0; i < 3; i++) {
      clickToggle(w);
      seen.push_back(tabs(w));
    }
    PostThreadMessageW(GetWindowThreadProcessId(w, nullptr), WM_QUIT, 7, 0);
  });
  EXPECT_FALSE(sheet.runModal(nullptr, nullptr, false, false));
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ(4u, seen[0].size());
  EXPECT_EQ(2u, seen[1].size());
  EXPECT_EQ(4u, seen[2].size());
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(7u, msg.wParam);
}

// Removing pages the sheet shows or not: the banner follows the tab then
// shown, and says nothing once no tab is.
TEST_F(Sheets, TheBannerFollowsRemovals) {
  ui::TitledPropSheet sheet("Properties", basicSet());
  sheet.show(nullptr, false, false);
  auto banner = [&sheet] { return std::string(sheet.bannerTitle()) + sheet.bannerDescription(); };
  EXPECT_EQ("Kiv Server OptionsConfigure the server and its user name.", banner());
  SendMessageW(sheet.getHandle(), PSM_SETCURSEL, 1, 0);
  sheet.removePage(server.get());
  EXPECT_EQ("Basic OptionsThe most common options.", banner());
  sheet.removePage(&basic);
  EXPECT_EQ("", banner());
  sheet.close();
}

TEST_F(Sheets, AModelessSheetClosesOnlyAfterItsPagesApplied) {
  struct Counting : ui::PropSheet {
    using ui::PropSheet::PropSheet;
    int applied = 0;
    void onApplied() override {
      applied++;
      ui::PropSheet::onApplied();
    }
  };
  struct Refusing : Page {
    explicit Refusing(Options* o) : Page(o, L"PRINTING_PAGE", {}, {}) {}
    bool ok = false;
    int applies = 0;
    bool apply() override {
      applies++;
      return ok;
    }
  } refusing(&o);
  Counting sheet("Printing", {&refusing});
  sheet.show(nullptr, true, false);
  HWND window = sheet.getHandle();
  // A page that refuses: the sheet stays open and nothing counts as applied.
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(1, refusing.applies);
  EXPECT_EQ(0, sheet.applied);
  refusing.ok = true;
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(2, refusing.applies);
  EXPECT_EQ(1, sheet.applied);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(nullptr, sheet.getHandle());
  // Shown again, on page handles of its own.
  sheet.show(nullptr, false, false);
  EXPECT_TRUE(IsWindowVisible(sheet.getHandle()));
  EXPECT_EQ(&sheet, refusing.changedCallback());
  EXPECT_EQ(0, control(sheet.getHandle(), ui::PropertiesDialog::ToggleButton));
  sheet.close();
}

TEST_F(Sheets, AnEditInTheExpertListMarksEveryPageOnce) {
  advanced.setParam("1", 50);
  ui::PropertiesDialog sheet("Properties", basicSet(), advancedSet(), &expert, &advanced, true);
  bool applyBefore = true, applyAfter = false;
  ModalHelper helper;
  helper.expect(L"Properties", [&](HWND w) {
    SendMessageW(w, PSM_SETCURSEL, 3, 0);
    applyBefore = IsWindowEnabled(GetDlgItem(w, ui::PropSheet::ApplyButton)) != 0;
    SendMessageW(expert.listView(), WM_LBUTTONDOWN, MK_LBUTTON,
                 cellPoint(expert.listView(), "ProxyServer", 1));
    SetWindowTextW(expert.editBox(), L"relay.example.org");
    SendMessageW(expert.editBox(), WM_KEYDOWN, VK_RETURN, 1);
    applyAfter = IsWindowEnabled(GetDlgItem(w, ui::PropSheet::ApplyButton)) != 0;
    testing_support::clickButton(w, IDOK);
  });
  EXPECT_TRUE(sheet.runModal(nullptr, nullptr, true, false));
  EXPECT_FALSE(applyBefore);
  EXPECT_TRUE(applyAfter); // the other pages, re-marked, hold changes
  EXPECT_STREQ("relay.example.org", o.proxyServer.getValueStr().c_str());
}
