#include "plat/String.h"
#include "plat/WipedString.h"

#include <gtest/gtest.h>

using namespace plat;

TEST(String, DupAndPrefix) {
  EXPECT_EQ(nullptr, strDup(nullptr));
  String ab = String::adopt(strDup("abc", 2));
  EXPECT_STREQ("ab", ab.c_str());
  String all = String::adopt(strDup("abc", 10));
  EXPECT_STREQ("abc", all.c_str());

  EXPECT_TRUE(startsWith("abc", nullptr));
  EXPECT_TRUE(startsWith("abc", "ab"));
  EXPECT_FALSE(startsWith("abc", "abd"));
  EXPECT_TRUE(startsWith(nullptr, ""));
  EXPECT_FALSE(startsWith(nullptr, "a"));
}

TEST(String, AssignCopiesOnlyDifferentText) {
  String s("abc");
  const char* before = s.c_str();
  s = "abc";
  EXPECT_EQ(before, s.c_str());
  s = "xyz";
  EXPECT_STREQ("xyz", s.c_str());
  s = (const char*)nullptr;
  EXPECT_TRUE(s.isNull());
  s = "";
  EXPECT_FALSE(s.isNull());
}

TEST(String, SplitAt) {
  StringPair p;
  EXPECT_TRUE(splitAt("a:b:c", ':', &p));
  EXPECT_STREQ("a", p.head.c_str());
  EXPECT_STREQ("b:c", p.tail.c_str());
  EXPECT_TRUE(splitAt("a:b:c", ':', &p, true));
  EXPECT_STREQ("a:b", p.head.c_str());
  EXPECT_STREQ("c", p.tail.c_str());
  EXPECT_FALSE(splitAt("abc", ':', &p));
  EXPECT_STREQ("abc", p.head.c_str());
  EXPECT_TRUE(p.tail.isNull());
}

TEST(String, Tokens) {
  TokenCursor c("a,,b");
  EXPECT_STREQ("a", c.next(','));
  EXPECT_STREQ("", c.next(','));
  EXPECT_STREQ("b", c.next(','));
  EXPECT_EQ(nullptr, c.next(','));
  EXPECT_EQ(nullptr, c.next(','));
}

TEST(String, BoundedAppendAndFormat) {
  char buf[8] = "ab";
  strAppend(buf, sizeof(buf), "cdefghij", -1);
  EXPECT_STREQ("abcdefg", buf);
  char buf2[8] = "";
  strAppend(buf2, sizeof(buf2), "xyz", 2);
  EXPECT_STREQ("xy", buf2);

  char out[256];
  std::string longText(400, 'x');
  formatInto(out, "%s", longText.c_str());
  EXPECT_EQ(255u, strlen(out));
}

TEST(String, ExceptionMessagesAreCutAt255) {
  std::string longText(400, 'y');
  Exception e(longText.c_str());
  EXPECT_EQ(255u, strlen(e.str()));
  ExceptionFmt f("%s-%d", "abc", 7);
  EXPECT_STREQ("abc-7", f.str());
  AssertionFail a("x > 0", "Thing", 12);
  EXPECT_STREQ("Assertion 'x > 0' failed at Thing:12", a.str());
}

TEST(String, BinToHex) {
  const uint8_t bytes[] = {0x00, 0xab, 0x10, 0xff};
  String hex = String::adopt(binToHex({4, bytes}));
  EXPECT_STREQ("00ab10ff", hex.c_str());
  String none = String::adopt(binToHex({0, bytes}));
  EXPECT_STREQ("", none.c_str());
}

TEST(String, HexToBin) {
  uint8_t out[4] = {};
  EXPECT_TRUE(hexToBin("00aB10Ff", 8, out));
  EXPECT_EQ(0x00, out[0]);
  EXPECT_EQ(0xab, out[1]);
  EXPECT_EQ(0x10, out[2]);
  EXPECT_EQ(0xff, out[3]);
  EXPECT_TRUE(hexToBin("", 0, out));
  EXPECT_FALSE(hexToBin("abc", 3, out)); // odd
  EXPECT_FALSE(hexToBin("0g", 2, out));
  EXPECT_FALSE(hexToBin("g0", 2, out));
  EXPECT_FALSE(hexToBin(" 1", 2, out));
}

TEST(String, CaseInsensitiveCompare) {
  EXPECT_EQ(0, strCaseCmp("FtCompress", "ftcompress"));
  EXPECT_NE(0, strCaseCmp("abc", "abd"));
  EXPECT_EQ(0, strCaseCmp("abcX", "ABCy", 3));
  EXPECT_LT(strCaseCmp("ab", "abc"), 0);
}

static std::string wrapped(const char* text, int width) {
  String s(text);
  wordWrap(s.buf(), width);
  return s.c_str();
}

TEST(WordWrap, BreaksBeforeTheWordThatReachesTheWidth) {
  // "aaa bbb" is 7 characters: fits within width 8, not within 7.
  EXPECT_EQ("aaa bbb ccc", wrapped("aaa bbb ccc", 20));
  EXPECT_EQ("aaa bbb\nccc", wrapped("aaa bbb ccc", 8));
  EXPECT_EQ("aaa\nbbb\nccc", wrapped("aaa bbb ccc", 7));
}

TEST(WordWrap, LongWordsAndExistingLineFeeds) {
  EXPECT_EQ("abcdefghij", wrapped("abcdefghij", 4));
  EXPECT_EQ("ab\nabcdefghij\ncd", wrapped("ab abcdefghij cd", 4));
  EXPECT_EQ("aa\nbb cc", wrapped("aa\nbb cc", 6));
  EXPECT_EQ("", wrapped("", 5));
}

TEST(WordWrap, NoLineExceedsWidthMinusOne) {
  const char* text = "the quick brown fox jumps over the lazy dog and keeps running past "
                     "the river bank until the sun goes down";
  std::string out = wrapped(text, 20);
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos)
      end = out.size();
    EXPECT_LE(end - start, 19u) << out;
    start = end + 1;
  }
}

TEST(WipedString, ReplacesAndFrees) {
  WipedString w;
  EXPECT_EQ(nullptr, w.c_str());
  w.set(strDup("secret"));
  EXPECT_STREQ("secret", w.c_str());
  w.set(strDup("other"));
  EXPECT_STREQ("other", w.c_str());
  char buf[4] = {'a', 'b', 'c', 0};
  secureZero(buf, 3);
  EXPECT_EQ(0, buf[0]);
  EXPECT_EQ(0, buf[2]);
}
