#include "ParseHelpers.h"

#include <gtest/gtest.h>

using namespace xml;

TEST(ParserError, Texts) {
  EXPECT_STREQ(errorText(0), "no error");
  EXPECT_STREQ(errorText(EndTagMismatch), "unmatched end tag");
  EXPECT_STREQ(errorText(EndTagWithoutStart), "unmatched end tag");
  EXPECT_STREQ(errorText(FirstTagNotFound), "first tag not found");
  EXPECT_STREQ(errorText(UnknownEntity), "unknown character entity");
  EXPECT_STREQ(errorText(19), "base64 decode output buffer is too small");
  EXPECT_STREQ(errorText(-1), "Unknown");
  EXPECT_STREQ(errorText(1000), "Unknown");
}

TEST(ParserError, NothingToParse) {
  EXPECT_EQ(errorOf(""), "3 1:1");
  EXPECT_EQ(errorOf("\xef\xbb\xbf"), "3 1:1");
  EXPECT_EQ(errorOf("  \n"), "2 1:1");
  EXPECT_EQ(errorOf("plain text"), "2 1:1");
  // A prologue without an element.
  EXPECT_EQ(errorOf("<?xml version=\"1.0\"?>\n"), "9 2:1");
  EXPECT_EQ(errorOf("<?xml version=\"1.0\"?><!-- only a comment --><!DOCTYPE x>"), "9 1:57");
}

TEST(ParserError, WrongRoot) {
  EXPECT_EQ(errorOf("<ledrow/>", "ledrow"), "ok");
  EXPECT_EQ(errorOf("<?xml version=\"1.0\"?>\n  <book><ledrow/></book>", "ledrow"), "11 2:3");
  // The root tag must match exactly.
  EXPECT_EQ(errorOf("<Ledrow/>", "ledrow"), "11 1:1");
}

TEST(ParserError, Tags) {
  EXPECT_EQ(errorOf("<a></b>"), "1 1:4");
  EXPECT_EQ(errorOf("<a><b></a></b>"), "1 1:7");
  EXPECT_EQ(errorOf("<a></A>"), "1 1:4");
  EXPECT_EQ(errorOf("<a/></a>"), "6 1:5");
  EXPECT_EQ(errorOf("</a>"), "6 1:1");
  EXPECT_EQ(errorOf("<>"), "4 1:2");
  EXPECT_EQ(errorOf("<a>< b/></a>"), "4 1:5");
  EXPECT_EQ(errorOf("<a><1/></a>"), "4 1:5");
  EXPECT_EQ(errorOf("<a><"), "4 1:5");
  EXPECT_EQ(errorOf("<a></></a>"), "5 1:6");
  EXPECT_EQ(errorOf("<a></a x>"), "8 1:8");
  EXPECT_EQ(errorOf("<a  ></a   >"), "ok");
}

TEST(ParserError, Attributes) {
  EXPECT_EQ(errorOf("<a b/>"), "8 1:5");
  EXPECT_EQ(errorOf("<a b=c/>"), "8 1:6");
  EXPECT_EQ(errorOf("<a b=\"c/>"), "8 1:6");
  EXPECT_EQ(errorOf("<a =\"c\"/>"), "8 1:4");
  EXPECT_EQ(errorOf("<a b = 'c' d=\"e\"/>"), "ok");
  EXPECT_EQ(errorOf("<a b='c'"), "8 1:9");
}

// The innermost unclosed element is reported.
TEST(ParserError, UnclosedElements) {
  EXPECT_EQ(errorOf("<a>"), "8 1:1");
  EXPECT_EQ(errorOf("<a>\n <b>\n  <c/>\n"), "8 2:2");
}

TEST(ParserError, UnterminatedClearTags) {
  EXPECT_EQ(errorOf("<a><!-- open</a>"), "7 1:4");
  EXPECT_EQ(errorOf("<a><![CDATA[ open</a>"), "7 1:4");
  EXPECT_EQ(errorOf("<?xml version='1.0'"), "7 1:1");
  EXPECT_EQ(errorOf("<!DOCTYPE a [ <!ENTITY x 'y'> <a/>"), "7 1:1");
  EXPECT_EQ(errorOf("<!DOCTYPE a \"> <a/>"), "7 1:1");
}

TEST(ParserError, OutsideTheRoot) {
  EXPECT_EQ(errorOf("<a/><b/>"), "8 1:5");
  EXPECT_EQ(errorOf("<a/>\n  tail"), "8 2:3");
  EXPECT_EQ(errorOf("head<a/>"), "8 1:1");
  EXPECT_EQ(errorOf("<![CDATA[x]]><a/>"), "8 1:1");
  EXPECT_EQ(errorOf("<a><!DOCTYPE a></a>"), "8 1:4");
  EXPECT_EQ(errorOf("<a/><!DOCTYPE a>"), "8 1:5");
}

TEST(ParserError, LineAndColumnCountFromAfterTheByteOrderMark) {
  EXPECT_EQ(errorOf("\xef\xbb\xbf<a></b>"), "1 1:4");
  EXPECT_EQ(errorOf("<a>\r\n\t<b>\r\n\t</c>"), "1 3:2");
}

TEST(ParserError, NestingIsLimited) {
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; i++)
      text += "<e>";
    for (int i = 0; i < depth; i++)
      text += "</e>";
    return text;
  };
  EXPECT_EQ(errorOf(nested(MaxNesting)), "ok");
  EXPECT_EQ(errorOf(nested(MaxNesting + 1)), "20 1:" + std::to_string(3 * MaxNesting + 1));
  // Far deeper input is refused at the limit, without exhausting the stack.
  std::string deep;
  for (int i = 0; i < 200000; i++)
    deep += "<e>";
  EXPECT_EQ(errorOf(deep).substr(0, 3), "20 ");
  // An empty element at the limit does not open a level.
  EXPECT_EQ(errorOf(nested(MaxNesting - 1).insert(3 * (MaxNesting - 1), "<x/>")), "ok");
}

TEST(ParserError, SizeIsLimited) {
  std::string big = "<a>" + std::string(MaxDataSize, ' ') + "</a>";
  EXPECT_EQ(errorOf(big), "21 1:1");
  std::string fits = "<a>" + std::string(MaxDataSize - 7, ' ') + "</a>";
  EXPECT_EQ(errorOf(fits), "ok");
}
