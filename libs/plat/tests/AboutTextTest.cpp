#include "plat/AboutText.h"

#include <gtest/gtest.h>

#include <string>

using namespace plat;

TEST(AboutText, ShapeOfTheTexts) {
  AboutText about("Ostrel\xc2\xae File Transfer", "1.2.3.4");
  std::string full = about.fullText.c_str();
  EXPECT_EQ(0u, full.find("Ostrel\xc2\xae File Transfer Edition 1.2.3.4 64-bit (x64) unicode\n"
                          "Built on "));
  EXPECT_NE(std::string::npos, full.find("For third party acknowledgements see:\n"));
  EXPECT_NE(std::string::npos, full.find("/1.2/acknowledgements"));

  std::string banner = about.bannerText.c_str();
  EXPECT_EQ(std::string::npos, banner.find("\xc2\xae"));
  EXPECT_EQ(std::string::npos, banner.find("\xc2\xa9"));
  EXPECT_EQ(0u, banner.find("Ostrel(R) File Transfer"));
  EXPECT_NE(std::string::npos, banner.find("(C)"));
  size_t start = 0;
  while (start < banner.size()) {
    size_t end = banner.find('\n', start);
    if (end == std::string::npos)
      end = banner.size();
    // Only a single word longer than the width (the address) may exceed it.
    std::string line = banner.substr(start, end - start);
    if (line.find(' ') != std::string::npos) {
      EXPECT_LE(line.size(), 78u) << line;
    }
    start = end + 1;
  }

  EXPECT_STREQ("Ostrel File Transfer", about.shortProductName.c_str());
  EXPECT_STREQ("64-bit (x64) unicode", about.platformText.c_str());
}
