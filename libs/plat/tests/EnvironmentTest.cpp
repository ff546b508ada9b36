#include "plat/Environment.h"

#include <gtest/gtest.h>

using namespace plat;

TEST(ExpandEnvVars, MapThenEnvironment) {
  EnvMap vars{{"SystemDrive", "D:"}, {"doc", "C:\\Docs"}};
  EXPECT_STREQ("D:\\temp\\%s.log", expandEnvVars("${SystemDrive}\\temp\\%s.log", &vars).c_str());
  EXPECT_STREQ("C:\\Docs\\x", expandEnvVars("$doc\\x", &vars).c_str());
  EXPECT_STREQ("D:D:", expandEnvVars("$SystemDrive${SystemDrive}", &vars).c_str());
}

TEST(ExpandEnvVars, LiteralDollars) {
  EXPECT_STREQ("a$1b", expandEnvVars("a$1b").c_str());
  EXPECT_STREQ("cost $", expandEnvVars("cost $").c_str());
  EXPECT_STREQ("x${", expandEnvVars("x${").c_str());
  EXPECT_STREQ("no vars", expandEnvVars("no vars").c_str());
}

TEST(ExpandEnvVars, UnclosedBraceTakesTheRest) {
  EnvMap vars{{"name}x", "bad"}, {"rest of it", "R"}};
  EXPECT_STREQ("<R", expandEnvVars("<${rest of it", &vars).c_str());
}

TEST(ExpandEnvVars, UnknownNameThrows) {
  try {
    expandEnvVars("${NoSuchVariable_kiv_test}");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ("unknown environment variable: NoSuchVariable_kiv_test", e.str());
  }
}
