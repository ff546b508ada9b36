#include "plat/SafeFileName.h"

#include <gtest/gtest.h>

using plat::safeFileName;

TEST(SafeName, ForbiddenCharactersBecomeDashes) {
  EXPECT_EQ("a-b", safeFileName("a:b"));
  EXPECT_EQ("---------", safeFileName(":?/\\<>*|\""));
  EXPECT_EQ("tab-nl-", safeFileName("tab\tnl\n"));
  EXPECT_EQ("R&D's caf\xc3\xa9 = ok; [1]", safeFileName("R&D's caf\xc3\xa9 = ok; [1]"));
}

TEST(SafeName, NothingLeadsOutOfTheFolder) {
  EXPECT_EQ("-", safeFileName("."));
  EXPECT_EQ("--", safeFileName(".."));
  EXPECT_EQ("..---", safeFileName("../.."));
  EXPECT_EQ("..-..-evil", safeFileName("..\\..\\evil"));
  EXPECT_EQ("C-evil", safeFileName("C:evil"));
  EXPECT_EQ("-", safeFileName(""));
}

TEST(SafeName, TrailingDotsAndBlanks) {
  EXPECT_EQ("name-", safeFileName("name."));
  EXPECT_EQ("name---", safeFileName("name . "));
  EXPECT_EQ(".hidden", safeFileName(".hidden"));
  EXPECT_EQ(" lead", safeFileName(" lead"));
}

TEST(SafeName, DeviceNames) {
  EXPECT_EQ("CON-", safeFileName("CON"));
  EXPECT_EQ("nul-.txt", safeFileName("nul.txt"));
  EXPECT_EQ("Com1-", safeFileName("Com1"));
  EXPECT_EQ("lpt9-.a.b", safeFileName("lpt9.a.b"));
  EXPECT_EQ("aux-", safeFileName("aux."));
  EXPECT_EQ("COM0", safeFileName("COM0"));
  EXPECT_EQ("CONSOLE", safeFileName("CONSOLE"));
  EXPECT_EQ("LPT10", safeFileName("LPT10"));
  // The console devices, the superscript digits and the blanks that Windows
  // ignores before an extension.
  EXPECT_EQ("CONIN$-", safeFileName("CONIN$"));
  EXPECT_EQ("conout$-.log", safeFileName("conout$.log"));
  EXPECT_EQ("COM\xc2\xb9-", safeFileName("COM\xc2\xb9"));
  EXPECT_EQ("lpt\xc2\xb3-.txt", safeFileName("lpt\xc2\xb3.txt"));
  EXPECT_EQ("nul -.txt", safeFileName("nul .txt"));
}
