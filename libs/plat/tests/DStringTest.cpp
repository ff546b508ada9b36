#include "plat/DString.h"
#include "plat/String.h"

#include <gtest/gtest.h>

using namespace plat;

TEST(DString, ConstructionCapacityIsPowerOfTwoAtLeastEight) {
  EXPECT_EQ(128, DString(79).capacity());
  EXPECT_EQ(8, DString(8).capacity());
  EXPECT_EQ(8, DString(1).capacity());
  EXPECT_EQ(8, DString(0).capacity());
  EXPECT_EQ(16, DString(9).capacity());
  EXPECT_STREQ("", DString(20).c_str());
}

TEST(DString, GrowthIsStrictlyGreaterThanTheLength) {
  DString s(1);
  s.append("1234567");
  EXPECT_EQ(8, s.capacity());
  s.append("8");
  EXPECT_EQ(16, s.capacity());
  DString t(1);
  t.append("12345678");
  EXPECT_EQ(16, t.capacity());
  DString u(1);
  u.append("1234567890123456");
  EXPECT_EQ(32, u.capacity());
  EXPECT_STREQ("1234567890123456", u.c_str());
}

TEST(DString, AppendForms) {
  DString s;
  s.append(nullptr);
  s.append("abcdef", 3);
  s.append("xy\0z", 10);
  s.appendChars('-', 2);
  s.appendChars('-', 0);
  s.appendChars('-', -3);
  EXPECT_STREQ("abcxy--", s.c_str());
  EXPECT_EQ(7, s.length());
}

TEST(DString, AppendfGrowsForLongOutput) {
  DString s;
  s.appendf("%s", "");
  std::string big(1000, 'q');
  s.appendf("<%s>%d", big.c_str(), 42);
  EXPECT_EQ(1004, s.length());
  EXPECT_EQ('<', s.c_str()[0]);
  EXPECT_STREQ(">42", s.c_str() + 1001);
}

TEST(DString, AppendReplacing) {
  DString s;
  s.appendReplacing("a(R) b(R)(R)", "(R)", "\xc2\xae");
  EXPECT_STREQ("a\xc2\xae b\xc2\xae\xc2\xae", s.c_str());
  DString t;
  t.appendReplacing("aaaa", "aa", nullptr);
  EXPECT_STREQ("", t.c_str());
  DString u;
  u.appendReplacing("aaa", "aa", "b");
  EXPECT_STREQ("ba", u.c_str());
}

TEST(DString, ReleaseHandsOverTheBuffer) {
  DString s;
  s.append("text");
  String owned = String::adopt(s.release());
  EXPECT_STREQ("text", owned.c_str());
  EXPECT_EQ(0, s.capacity());
  EXPECT_EQ(0, s.length());
  s.append("again");
  EXPECT_STREQ("again", s.c_str());
}

TEST(DStringDeathTest, EmptyFindIsABrokenInvariant) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        DString s;
        s.appendReplacing("abc", "", "x");
      },
      "Assertion 'findLen' failed at DString:93");
}
