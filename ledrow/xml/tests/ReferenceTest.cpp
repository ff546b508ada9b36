#include "ParseHelpers.h"

#include <gtest/gtest.h>

using namespace xml;

namespace {

// The decoded value of an attribute holding text, or the error.
std::string valueOf(const std::string& text) {
  ParseResult result;
  ElementPtr root = parse("<r v=\"" + text + "\"/>", &result);
  if (!root)
    return "error " + std::to_string(result.code) + " at " + std::to_string(result.column);
  return attribute(root, "v");
}

} // namespace

TEST(Reference, NamedEntitiesIgnoreCase) {
  EXPECT_EQ(valueOf("&amp;&lt;&gt;&quot;&apos;"), "&<>\"'");
  EXPECT_EQ(valueOf("&AMP;&Lt;&GT;&QUOT;&Apos;"), "&<>\"'");
}

TEST(Reference, NumericReferencesBecomeUtf8) {
  EXPECT_EQ(valueOf("&#x41;&amp;"), "A&");
  EXPECT_EQ(valueOf("&#65;&#X42;&#x0063;"), "ABc");
  EXPECT_EQ(valueOf("&#233;"), "\xc3\xa9");
  EXPECT_EQ(valueOf("&#x20AC;"), "\xe2\x82\xac");
  EXPECT_EQ(valueOf("&#x1F600;"), "\xf0\x9f\x98\x80");
  EXPECT_EQ(valueOf("&#x10FFFF;"), "\xf4\x8f\xbf\xbf");
  EXPECT_EQ(valueOf("&#x7f;&#x80;&#x7ff;&#x800;&#xffff;&#x10000;"),
            "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf0\x90\x80\x80");
}

// Column 7 is the "&" after `<r v="`.
TEST(Reference, BadReferencesAreRefused) {
  const char* bad[] = {
      "&nbsp;",       "&amp",     "& amp;",          "&#;",        "&#x;",
      "&#65",         "&#6a;",    "&#0;",            "&#x0;",      "&#xD800;",
      "&#xDFFF;",     "&#x110000;", "&#99999999999999999999;", "&#xFFFFFFFF41;", "&",
  };
  for (const char* text : bad)
    EXPECT_EQ(valueOf(text), "error 12 at 7") << text;
  EXPECT_EQ(valueOf("ok &bogus;"), "error 12 at 10");
}

TEST(Reference, TextIsDecodedToo) {
  ParseResult result;
  ElementPtr root = parse("<r>&#x3C;tag&#x3e; &lt;&#x1F600;</r>", &result);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->parts.at(0).content, "<tag> <\xf0\x9f\x98\x80");
  EXPECT_EQ(errorOf("<r>\n  a &unknown; b</r>"), "12 2:5");
}
