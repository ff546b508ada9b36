#include "TestDialogs.h"
#include "plat/AboutText.h"
#include "plat/win/AppInit.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"
#include "ui/win/AboutDialog.h"

#include <gtest/gtest.h>

using ui::AboutDialog;

TEST(AboutDialog, ShowsTheVersionResourceAndLinksToTheMakersPages) {
  testing::internal::CaptureStderr();
  plat::appInit("uitests", nullptr);
  testing::internal::GetCapturedStderr();
  AboutDialog about(IDI_TILE);
  about.createModeless(nullptr);
  HWND w = about.getHandle();
  auto text = [&](int id) {
    return testing_support::utf8(testing_support::windowText(GetDlgItem(w, id)));
  };
  EXPECT_EQ("About Ostrel Toolkit Tests", testing_support::utf8(testing_support::windowText(w)));
  EXPECT_EQ("Ostrel\xc2\xae Toolkit Tests", text(AboutDialog::DescriptionId));
  EXPECT_EQ("1.0.0.0", text(AboutDialog::VersionId));
  EXPECT_EQ(plat::AboutText::builtOn, text(AboutDialog::BuildTimeId));
  EXPECT_EQ("64-bit (x64) unicode", text(AboutDialog::PlatformId));
  EXPECT_EQ(plat::AboutText::copyrightLine, text(AboutDialog::CopyrightId));
  EXPECT_EQ(plat::AboutText::trademarkLine, text(AboutDialog::TrademarkId));
  EXPECT_NE(0, SendDlgItemMessageW(w, AboutDialog::IconId, STM_GETICON, 0, 0));

  EXPECT_EQ("https://www.torvane.example/products/ostrel/4.6/acknowledgements.html",
            AboutDialog::linkAddress(AboutDialog::AcknowledgementsLink, "4.6.0.51281"));
  EXPECT_EQ("https://www.torvane.example", AboutDialog::linkAddress(AboutDialog::SiteLink, "4.6"));
  EXPECT_EQ("https://www.torvane.example", AboutDialog::linkAddress(7, "4.6"));
  // Both links are in the text, the first showing the address itself.
  std::string info = AboutDialog::informationText();
  EXPECT_NE(std::string::npos, info.find("^1{https://www.torvane.example^}"));
  EXPECT_NE(std::string::npos, info.find("^2{here^}"));
}
