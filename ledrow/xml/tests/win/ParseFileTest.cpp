#include "ledrow/xml/Parser.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

using namespace xml;
using testing_support::TempDir;

TEST(ParseFile, MissingFile) {
  TempDir dir;
  ParseResult result;
  EXPECT_TRUE(isNull(parseFile(dir.file("absent.xml").c_str(), "ledrow", &result)));
  EXPECT_EQ(result.code, FileNotFound);
  EXPECT_STREQ(errorText(result.code), "file not found");
}

TEST(ParseFile, EmptyFile) {
  TempDir dir;
  testing_support::writeFile(dir.file("empty.xml"), "");
  ParseResult result;
  EXPECT_TRUE(isNull(parseFile(dir.file("empty.xml").c_str(), "ledrow", &result)));
  EXPECT_EQ(result.code, NoData);
}

// A book saved by an editor that writes a byte-order mark, under a name
// outside the ANSI code page.
TEST(ParseFile, ReadsWholeFileUnderUtf8Name) {
  TempDir dir;
  std::string path = dir.file("b\xc3\xbc\x63h \xe6\x97\xa5.xml");
  std::string text = "\xef\xbb\xbf<ledrow>";
  for (int i = 0; i < 3000; i++)
    text += "<file name=\"entry " + std::to_string(i) + "\"/>\n";
  text += "</ledrow>";
  testing_support::writeFile(path, text);
  ParseResult result;
  ElementPtr root = parseFile(path.c_str(), "ledrow", &result);
  ASSERT_EQ(result.code, NoError) << result.line << ":" << result.column;
  ASSERT_EQ(root->children.size(), 3000u);
  EXPECT_STREQ(attribute(childAt(root, 2999), "name"), "entry 2999");
}

TEST(ParseFile, WrongRoot) {
  TempDir dir;
  testing_support::writeFile(dir.file("other.xml"), "<other/>");
  ParseResult result;
  EXPECT_TRUE(isNull(parseFile(dir.file("other.xml").c_str(), "ledrow", &result)));
  EXPECT_EQ(result.code, FirstTagNotFound);
}
