#include "ferrin/Parameters.h"
#include "ferrin/win/StartupArgs.h"
#include "ft/Parameters.h"

#include <gtest/gtest.h>

using namespace ferrin;

static StartupArgs parse(const wchar_t* commandLine) {
  plat::CommandLineArgs args(commandLine);
  return parseStartupArgs(args);
}

TEST(StartupArgs, TooFewArgumentsAreRefused) {
  for (const wchar_t* line : {L"ferrin.exe", L"ferrin.exe 1 h::1 -service"}) {
    try {
      parse(line);
      FAIL();
    } catch (const plat::Exception& e) {
      EXPECT_STREQ("This application is not intended to be run in this way.", e.str());
    }
  }
}

TEST(StartupArgs, CookieForms) {
  EXPECT_EQ(16u, parse(L"f 0x10 h::1 x 0").cookie);
  EXPECT_EQ(8u, parse(L"f 010 h::1 x 0").cookie);
  EXPECT_EQ(0u, parse(L"f abc h::1 x 0").cookie);
  EXPECT_EQ(4294967295u, parse(L"f 4294967295 h::1 x 0").cookie);
  EXPECT_EQ(0xDEADBEEFu, parse(L"f 0xdeadbeef h::1 x 0").cookie);
}

TEST(StartupArgs, EndpointModeAndClipboard) {
  StartupArgs a = parse(L"f 1 127.0.0.1::5999 -service 2");
  EXPECT_STREQ("127.0.0.1", a.host.c_str());
  EXPECT_EQ(5999, a.port);
  EXPECT_TRUE(a.serviceMode);
  EXPECT_TRUE(a.clipboardSharing);
  EXPECT_STREQ("SOFTWARE\\Torvane\\FileTransfer_Service", settingsKeyPath(a.serviceMode));

  StartupArgs b = parse(L"f 1 [::1]::80 -Service no");
  EXPECT_STREQ("[::1]", b.host.c_str());
  EXPECT_FALSE(b.serviceMode);
  EXPECT_FALSE(b.clipboardSharing);
  EXPECT_STREQ("SOFTWARE\\Torvane\\FileTransfer_User", settingsKeyPath(b.serviceMode));
  EXPECT_FALSE(parse(L"f 1 h::1 x 0").clipboardSharing);

  // No default port: a host alone is no endpoint.
  EXPECT_THROW(parse(L"f 1 localhost x 0"), plat::Exception);
}

TEST(StartupArgs, OptionalSettingsAtUserPriority) {
  plat::CommandLineArgs args(L"f 1 h::1 x 0 ftConcurrency=5 -NoSuchSetting=1 --FtCompress=0");
  os::Console console;
  applyOptionalArgs(args, console);
  EXPECT_EQ(5, ft::ftConcurrency.getValue());
  EXPECT_EQ(plat::PriorityUser, ft::ftConcurrency.getPriority());
  EXPECT_FALSE(ft::ftCompress.getValue());
  ft::ftConcurrency.removeValue(plat::PriorityUser);
  ft::ftCompress.removeValue(plat::PriorityUser);
}
