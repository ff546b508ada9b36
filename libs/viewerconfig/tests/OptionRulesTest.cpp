#include "ledrow/data/ConnOptions.h"
#include "plat/MarkUp.h"
#include "viewerconfig/InputPresets.h"
#include "viewerconfig/PrinterNotes.h"
#include "viewerconfig/ProxySetting.h"
#include "viewerconfig/Substitutes.h"

#include <gtest/gtest.h>

#include <string>

using namespace viewerconfig;

TEST(InputPresets, APolicyRulesOutThePresetItContradicts) {
  addrbook::CConnOptions o;
  OfferedPresets offered = offeredPresets(o, 50);
  EXPECT_TRUE(offered.enabled && offered.disabled);
  o.sendKeyEvents.setParam("0", 50); // the user's own: no policy
  offered = offeredPresets(o, 50);
  EXPECT_TRUE(offered.enabled && offered.disabled);
  o.sendKeyEvents.setParam("0", 0);
  offered = offeredPresets(o, 50);
  EXPECT_FALSE(offered.enabled);
  EXPECT_TRUE(offered.disabled);
  o.serverCutText.setParam("1", 0);
  offered = offeredPresets(o, 50);
  EXPECT_FALSE(offered.enabled || offered.disabled);
}

TEST(InputPresets, DisabledNeedsTheClipboardExactlyUnchecked) {
  using S = ui::CheckboxWidget::State;
  EXPECT_EQ(InputsEnabled, shownPreset(S::Checked, S::Checked, S::Checked, S::Checked, S::Checked));
  EXPECT_EQ(InputsCustom,
            shownPreset(S::Checked, S::Checked, S::Indeterminate, S::Checked, S::Checked));
  EXPECT_EQ(InputsDisabled,
            shownPreset(S::Unchecked, S::Indeterminate, S::Unchecked, S::Unchecked, S::Unchecked));
  EXPECT_EQ(InputsCustom,
            shownPreset(S::Unchecked, S::Unchecked, S::Indeterminate, S::Unchecked, S::Unchecked));
  EXPECT_EQ(InputsCustom,
            shownPreset(S::Checked, S::Unchecked, S::Unchecked, S::Unchecked, S::Unchecked));
}

TEST(ProxySetting, EndpointsNeedAPort) {
  for (const char* good : {"host:8080", "[::1]:3128", "10.0.0.1:65535", "proxy.example.org::80"})
    EXPECT_TRUE(isValidProxyEndpoint(good)) << good;
  for (const char* bad :
       {"host", "host:0", "host:65536", "proxyserver:port", "", "[::1", "[::1]", "host:-1"})
    EXPECT_FALSE(isValidProxyEndpoint(bad)) << bad;
  EXPECT_EQ(NoProxy, proxyChoice(""));
  EXPECT_EQ(SystemProxy, proxyChoice("_MSIESettings_"));
  EXPECT_EQ(ManualProxy, proxyChoice("host:8080"));
  EXPECT_EQ(1, proxyTypeIndex("SOCKS"));
  EXPECT_EQ(-1, proxyTypeIndex(""));
}

TEST(Substitutes, MenuKeyNoneAndScalingListsWithNone) {
  const char* v = "NONE";
  EXPECT_TRUE(substituteMenuKey("menukey", &v, true));
  EXPECT_STREQ("", v);
  substituteMenuKey("MenuKey", &v, false);
  EXPECT_STREQ("none", v);
  EXPECT_FALSE(substituteMenuKey("Scaling", &v, true));
  for (const char* list : {"Fit,none", "None,Fit"}) {
    v = list;
    substituteScaling("Scaling", &v, false);
    EXPECT_STREQ("None", v) << list;
  }
  v = "Fit";
  substituteScaling("Scaling", &v, false);
  EXPECT_STREQ("Fit", v);
}

namespace {

std::string plainText(const std::string& markup) {
  return plat::MarkUp::Stripper(markup.c_str()).plainText();
}

} // namespace

TEST(PrinterNotes, ServerSharesAreNamedByServerAndCaretsShowAsTheyAre) {
  EXPECT_EQ("Laser/2 on srv", printerDisplayName("\\\\srv\\Laser/2"));
  EXPECT_EQ("Laser-2 on srv via Kiv from PC1", sharedPrinterName("Laser/2 on srv", "PC1"));
  EXPECT_EQ("Local Printer", printerDisplayName("Local Printer"));
  EXPECT_EQ("\\\\srv", printerDisplayName("\\\\srv"));

  std::string notes = printingNotes(true, "Hi^Res", "PC1", false);
  EXPECT_EQ("Your default printer will be shared as 'Hi^Res via Kiv from PC1'.\n\n"
            "Kiv Server's default printer will not be changed.",
            plainText(notes));
  EXPECT_NE(std::string::npos,
            printingNotes(true, "P", "PC1", true).find("made Kiv Server's default printer"));
  EXPECT_EQ(0u, printingNotes(true, nullptr, "PC1", true).find("There is no default printer."));
  EXPECT_EQ(0u, printingNotes(false, "P", "PC1", true).find("Your printer will not be shared."));
}
