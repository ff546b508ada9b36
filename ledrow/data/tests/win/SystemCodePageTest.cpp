#include "ledrow/data/PasswordObfuscation.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

using namespace addrbook;

TEST(SystemCodePage, UnmarkedPasswordsComeBackAsUtf8) {
  ZeroingBytes o;
  obfuscatePassword(&o, "plain");
  EXPECT_STREQ("plain", deobfuscatePassword(o).c_str());

  if (GetACP() != 1252)
    GTEST_SKIP() << "ANSI code page " << GetACP();
  obfuscatePassword(&o, "caf\xe9\x80"); // Windows-1252 e-acute and euro sign
  o.truncate(8);                         // written without the marker
  EXPECT_STREQ("caf\xc3\xa9\xe2\x82\xac", deobfuscatePassword(o).c_str());
}
