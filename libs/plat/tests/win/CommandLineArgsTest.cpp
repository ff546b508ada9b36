#include "plat/win/CommandLineArgs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat;

static std::vector<std::string> split(const wchar_t* text) {
  CommandLineArgs args(text);
  std::vector<std::string> out;
  for (int i = 0; i < args.count(); i++)
    out.push_back(args[i]);
  EXPECT_EQ(nullptr, args.argv()[args.count()]);
  return out;
}

typedef std::vector<std::string> Args;

TEST(CommandLineArgs, QuotesGroupAndAreDropped) {
  EXPECT_EQ((Args{"prog", "a b", "c"}), split(L"prog \"a b\" c"));
  EXPECT_EQ((Args{"xy zw"}), split(L"x\"y z\"w"));
  EXPECT_EQ((Args{"it's \"x\""}), split(L"'it'\"'s \"'\"x\"'"));
  EXPECT_EQ((Args{"a", "", "b"}), split(L"a \"\" b"));
  EXPECT_EQ((Args{"C:\\dir\\", "x"}), split(L"\"C:\\dir\\\" x"));
}

TEST(CommandLineArgs, WhiteSpaceRuns) {
  EXPECT_EQ((Args{"a", "b", "c"}), split(L"  a\tb \t\r\n c  "));
  EXPECT_EQ((Args{}), split(L"   "));
  EXPECT_EQ((Args{"open run"}), split(L"\"open run"));
}

TEST(CommandLineArgs, ConvertsToUtf8) {
  EXPECT_EQ((Args{"caf\xc3\xa9"}), split(L"caf\u00e9"));
}

TEST(CommandLineArgs, ReadsTheProcessCommandLine) {
  CommandLineArgs args;
  ASSERT_GE(args.count(), 1);
  EXPECT_NE(std::string::npos, std::string(args[0]).find("plat_tests"));
}
