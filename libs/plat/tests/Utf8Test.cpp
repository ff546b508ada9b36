#include "plat/String.h"

#include <gtest/gtest.h>

using namespace plat;

static bool check(std::string& s) {
  std::vector<char> buf(s.begin(), s.end());
  buf.push_back(0);
  bool ok = checkUtf8(buf.data());
  s = buf.data();
  return ok;
}

TEST(CheckUtf8, AcceptsValidText) {
  std::string s = "plain ascii";
  EXPECT_TRUE(check(s));
  s = "\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80";
  std::string before = s;
  EXPECT_TRUE(check(s));
  EXPECT_EQ(before, s);
  s = "\xf4\x8f\xbf\xbf"; // U+10FFFF, the last code point
  EXPECT_TRUE(check(s));
}

TEST(CheckUtf8, RefusesMalformedSequences) {
  std::string s = "a\x80"; // lone continuation byte
  EXPECT_FALSE(check(s));
  s = "\xc3"; // truncated by the NUL
  EXPECT_FALSE(check(s));
  s = "\xe2\x82z"; // continuation missing
  EXPECT_FALSE(check(s));
  s = "\xf8\x88\x80\x80\x80"; // five-byte lead
  EXPECT_FALSE(check(s));
  s = "\xff";
  EXPECT_FALSE(check(s));
}

TEST(CheckUtf8, RefusesSurrogates) {
  std::string s = "\xed\xa0\x80"; // U+D800
  EXPECT_FALSE(check(s));
  s = "\xed\xbf\xbf"; // U+DFFF
  EXPECT_FALSE(check(s));
  s = "\xed\x9f\xbf"; // U+D7FF is fine
  EXPECT_TRUE(check(s));
}

TEST(CheckUtf8, RewritesOverlongFormsInPlace) {
  std::string s = "a\xc0\xaf" "b"; // over-long "/"
  EXPECT_TRUE(check(s));
  EXPECT_EQ("a/b", s);
  s = "\xe0\x80\xafx\xc3\xa9"; // three-byte "/", then text that moves down
  EXPECT_TRUE(check(s));
  EXPECT_EQ("/x\xc3\xa9", s);
  s = "\xf0\x82\x82\xac"; // four-byte euro sign
  EXPECT_TRUE(check(s));
  EXPECT_EQ("\xe2\x82\xac", s);
}

TEST(CheckUtf8, OverlongNulIsMalformed) {
  std::string s = "ab\xc0\x80" "cd";
  EXPECT_FALSE(check(s));
  s = "\xe0\x80\x80";
  EXPECT_FALSE(check(s));
}

TEST(CheckUtf8, ThrowsAboveTheLastCodePoint) {
  char text[] = "\xf4\x90\x80\x80"; // U+110000
  try {
    checkUtf8(text);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ("Unicode out of range", e.str());
  }
}
