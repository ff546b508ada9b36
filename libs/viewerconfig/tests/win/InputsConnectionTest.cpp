#include "PageDriver.h"
#include "viewerconfig/win/ConnectionPage.h"
#include "viewerconfig/win/ControlIds.h"
#include "viewerconfig/win/InputsPage.h"

using namespace page_driver;

namespace {

typedef PageTest InputsAndConnection;

std::vector<std::wstring> listItems(HWND list) {
  std::vector<std::wstring> items;
  int count = (int)SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    wchar_t text[64] = {0};
    SendMessageW(list, CB_GETLBTEXT, i, (LPARAM)text);
    items.push_back(text);
  }
  return items;
}

} // namespace

TEST_F(InputsAndConnection, PresetsSetTheFiveBoxesAndDisagreeingClipboardShowsCustom) {
  o.serverCutText.setParam("0", 50);
  o.pointerEventInterval.setParam("200", 50);
  viewerconfig::InputsPage inputs(&o);
  OpenSheet sheet({&inputs});
  HWND p = sheet.page(0);
  EXPECT_EQ(BST_INDETERMINATE, check(p, IDC_SHARE_CLIPBOARD));
  EXPECT_EQ(2, selection(p, IDC_INPUT_PRESET)); // Custom, never Enabled
  EXPECT_EQ(BST_CHECKED, check(p, IDC_RATE_LIMIT));

  choose(p, IDC_INPUT_PRESET, 1);
  for (plat::BoolParameter* input : {&o.sendKeyEvents, &o.sendPointerEvents, &o.clientCutText,
                                     &o.serverCutText, &o.shareFiles, &o.enableChat}) {
    EXPECT_EQ("0", value(*input)) << input->getName();
    EXPECT_EQ(50, input->getPriority());
  }
  for (int id : {IDC_SPECIAL_KEYS, IDC_EMULATE3, IDC_RATE_LIMIT})
    EXPECT_FALSE(enabled(p, id)) << id;
  EXPECT_EQ("200", value(o.pointerEventInterval));
  inputs.onShow();
  EXPECT_EQ(1, selection(p, IDC_INPUT_PRESET));

  click(p, IDC_SEND_KEYS);
  EXPECT_EQ(2, selection(p, IDC_INPUT_PRESET));
  EXPECT_TRUE(enabled(p, IDC_SPECIAL_KEYS));
  choose(p, IDC_INPUT_PRESET, 0);
  EXPECT_EQ("1", value(o.serverCutText));
  EXPECT_TRUE(enabled(p, IDC_EMULATE3));
}

TEST_F(InputsAndConnection, APolicyTakesAwayThePresetItContradicts) {
  addrbook::CConnOptions forcedOn;
  o.sendKeyEvents.setParam("0", 0);
  forcedOn.shareFiles.setParam("1", 0);
  viewerconfig::InputsPage inputs(&o);
  viewerconfig::InputsPage inputsOn(&forcedOn);
  OpenSheet sheet({&inputs, &inputsOn});
  HWND p = sheet.page(0);
  std::vector<std::wstring> withoutEnabled = {L"Disabled (view-only mode)", L"Custom"};
  EXPECT_EQ(withoutEnabled, listItems(item(p, IDC_INPUT_PRESET)));
  EXPECT_FALSE(enabled(p, IDC_SEND_KEYS)); // locked
  EXPECT_EQ(1, selection(p, IDC_INPUT_PRESET));
  p = sheet.page(1);
  std::vector<std::wstring> withoutDisabled = {L"Enabled", L"Custom"};
  EXPECT_EQ(withoutDisabled, listItems(item(p, IDC_INPUT_PRESET)));
}

TEST_F(InputsAndConnection, ProxyChoicesWriteTheirValuesAndShowingAgainKeepsThem) {
  o.proxyServer.setParam("", 50);
  o.proxyType.setParam("", 50);
  viewerconfig::ConnectionPage connection(&o);
  OpenSheet sheet({&connection});
  HWND p = sheet.page(0);
  EXPECT_EQ(BST_CHECKED, check(p, IDC_NO_PROXY));
  EXPECT_FALSE(enabled(p, IDC_PROXY_ADDRESS));

  click(p, IDC_MANUAL_PROXY);
  pump();
  EXPECT_EQ("proxyserver:port", value(o.proxyServer));
  EXPECT_EQ("httpconnect", value(o.proxyType));
  EXPECT_EQ(0, selection(p, IDC_PROXY_TYPE));
  EXPECT_EQ(item(p, IDC_PROXY_ADDRESS), GetFocus());
  DWORD from = 0, to = 0;
  SendMessageW(item(p, IDC_PROXY_ADDRESS), EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
  EXPECT_EQ(0u, from);
  EXPECT_EQ(16u, to);
  for (int id : {IDC_PROXY_ADDRESS, IDC_PROXY_TYPE, IDC_PROXY_ADDRESS_LABEL, IDC_PROXY_TYPE_LABEL})
    EXPECT_TRUE(enabled(p, id)) << id;

  type(p, IDC_PROXY_ADDRESS, L"relay.example.org:8080");
  choose(p, IDC_PROXY_TYPE, 1);
  EXPECT_EQ("relay.example.org:8080", value(o.proxyServer));
  EXPECT_EQ("socks", value(o.proxyType));
  EXPECT_EQ(50, o.proxyType.getPriority());

  click(p, IDC_SYSTEM_PROXY);
  EXPECT_EQ("_msiesettings_", value(o.proxyServer));
  EXPECT_EQ("", value(o.proxyType));
  EXPECT_FALSE(enabled(p, IDC_PROXY_TYPE));

  // Changed elsewhere (the expert list) while the page was away: one radio
  // shows, and the page's own emptying of the address wipes nothing.
  o.proxyServer.setParam("relay.example.org:8080", 50);
  connection.onShow();
  o.proxyServer.setParam("_MSIESettings_", 50);
  connection.onShow();
  EXPECT_EQ(BST_CHECKED, check(p, IDC_SYSTEM_PROXY));
  EXPECT_EQ(BST_UNCHECKED, check(p, IDC_MANUAL_PROXY));
  EXPECT_EQ(BST_UNCHECKED, check(p, IDC_NO_PROXY));
  EXPECT_EQ("_MSIESettings_", value(o.proxyServer));
}
