#include "ParseHelpers.h"

#include <gtest/gtest.h>

using namespace xml;

namespace {

const char* const book = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<ledrow password='abcx12'>\n"
                         "  <folder name=\"Work\">\n"
                         "    <file name=\"a:b\"><section name=\"Connection\">\n"
                         "      <param name=\"Host\" value=\"h&lt;1&gt;\"/>\n"
                         "      <PARAM NAME=\"Port\" value=\"5900\" name=\"second\"/>\n"
                         "    </section></file>\n"
                         "  </folder>\n"
                         "  <File name=\"top\"/>\n"
                         "</ledrow>\n";

} // namespace

TEST(Element, NavigatesTheTree) {
  ParseResult result;
  ElementPtr root = parse(book, &result, "ledrow");
  ASSERT_EQ(result.code, NoError) << result.line << ":" << result.column;
  EXPECT_STREQ(tagName(root), "ledrow");
  EXPECT_STREQ(attribute(root, "PASSWORD"), "abcx12");

  ElementPtr folder = childAt(root, 0);
  EXPECT_STREQ(tagName(folder), "folder");
  EXPECT_STREQ(tagName(childAt(root, 1)), "File");
  EXPECT_TRUE(isNull(childAt(root, 2)));
  EXPECT_TRUE(isNull(childAt(root, -1)));

  // Tags and attribute names match without regard to case; the first
  // attribute of a name wins.
  EXPECT_STREQ(attribute(childNamed(root, "file"), "name"), "top");
  ElementPtr section = childNamed(childNamed(folder, "FILE"), "section");
  EXPECT_STREQ(attribute(childNamed(section, "param", 0), "value"), "h<1>");
  EXPECT_STREQ(attribute(childNamed(section, "param", 1), "name"), "Port");
  EXPECT_TRUE(isNull(childNamed(section, "param", 2)));
  EXPECT_EQ(attribute(section, "missing"), nullptr);
}

TEST(Element, NullHandlesAreSafeEverywhere) {
  ElementPtr none;
  EXPECT_TRUE(isNull(none));
  EXPECT_EQ(tagName(none), nullptr);
  EXPECT_TRUE(isNull(childAt(none, 0)));
  EXPECT_TRUE(isNull(childNamed(none, "x", 0)));
  EXPECT_EQ(attribute(none, "x"), nullptr);
}

// A child handle kept after the root is dropped must not keep the tree
// alive through its parent link, nor the tree the child.
TEST(Element, ParentLinksDoNotOwn) {
  ParseResult result;
  ElementPtr root = parse(book, &result);
  ASSERT_TRUE(root);
  std::weak_ptr<const Element> watch = root;
  ElementPtr folder = childAt(root, 0);
  EXPECT_EQ(folder->parent.lock(), root);
  root.reset();
  EXPECT_TRUE(watch.expired());
  EXPECT_TRUE(folder->parent.expired());
  EXPECT_STREQ(tagName(childAt(folder, 0)), "file");
}

TEST(Element, TextCDataAndComments) {
  ParseResult result;
  ElementPtr root = parse("<r>one &amp; <!-- a <note> -->two<![CDATA[<raw> &amp;]]> </r>", &result);
  ASSERT_TRUE(root);
  ASSERT_EQ(root->parts.size(), 4u);
  EXPECT_EQ(root->parts[0].kind, TextPart::Text);
  EXPECT_EQ(root->parts[0].content, "one & ");
  EXPECT_EQ(root->parts[1].kind, TextPart::Comment);
  EXPECT_EQ(root->parts[1].content, " a <note> ");
  EXPECT_EQ(root->parts[2].content, "two");
  EXPECT_EQ(root->parts[3].kind, TextPart::CData);
  EXPECT_EQ(root->parts[3].content, "<raw> &amp;");
}

TEST(Element, PrologueAndDoctypeAreSkipped) {
  ParseResult result;
  ElementPtr root = parse("\xef\xbb\xbf<?xml version=\"1.0\"?>\n"
                          "<!-- exported -->\n"
                          "<!DOCTYPE ledrow [\n"
                          "  <!ENTITY gt2 \"a > b ]\">\n"
                          "  <!-- ] > -->\n"
                          "  <!ATTLIST file name CDATA #REQUIRED>\n"
                          "]>\n"
                          "<ledrow a='x>y' b=\"<\"/>\n"
                          "<!-- trailing -->\n<?pi?>\n",
                          &result, "ledrow");
  ASSERT_EQ(result.code, NoError) << result.line << ":" << result.column;
  EXPECT_STREQ(attribute(root, "a"), "x>y");
  EXPECT_STREQ(attribute(root, "b"), "<");
  EXPECT_TRUE(root->parts.empty());
}

// Multi-byte UTF-8 is copied as it stands, in names and values.
TEST(Element, Utf8PassesThrough) {
  ParseResult result;
  ElementPtr root = parse("<r><f\xc3\xa9 n\xc3\xa4me=\"\xe6\x97\xa5\xe6\x9c\xac\"/></r>", &result);
  ASSERT_TRUE(root);
  EXPECT_STREQ(tagName(childAt(root, 0)), "f\xc3\xa9");
  EXPECT_STREQ(attribute(childAt(root, 0), "n\xc3\xa4me"), "\xe6\x97\xa5\xe6\x9c\xac");
}
