#include "os/EventName.h"

#include <gtest/gtest.h>

using os::EventName;

TEST(EventName, LocalNamesCarryTheFamilyPrefix) {
  EXPECT_STREQ("Torvane.Ostrel.x", EventName("x", false, true).str());
  EXPECT_STREQ("Torvane.Ostrel.x", EventName("x", false, false).str());
}

TEST(EventName, GlobalPrefixOnlyWhereTheSystemHasTheNamespace) {
  EXPECT_STREQ("Global\\Torvane.Ostrel.service.SendFilesToViewers",
               EventName("service.SendFilesToViewers", true, true).str());
  EXPECT_STREQ("Torvane.Ostrel.x", EventName("x", true, false).str());
}

TEST(EventName, NoBaseName) {
  EXPECT_STREQ("", EventName(nullptr, false, true).str());
  EXPECT_STREQ("", EventName(nullptr, true, false).str());
}

TEST(EventNameDeathTest, GlobalNameWithoutBaseNameIsABrokenInvariant) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(EventName(nullptr, true, true), "Assertion 'baseName' failed at EventName:29");
}
