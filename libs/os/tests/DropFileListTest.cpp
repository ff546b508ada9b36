#include "os/DropFileList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using os::DropFileList;

namespace {

std::vector<uint8_t> header(uint32_t offset, bool wide) {
  std::vector<uint8_t> block(DropFileList::HeaderSize, 0);
  memcpy(&block[0], &offset, 4);
  uint32_t flag = wide ? 1 : 0;
  memcpy(&block[16], &flag, 4);
  return block;
}

void appendAnsi(std::vector<uint8_t>* block, const std::string& text) {
  block->insert(block->end(), text.begin(), text.end());
  block->push_back(0);
}

void appendWide(std::vector<uint8_t>* block, const std::u16string& text) {
  for (char16_t c : text) {
    uint8_t unit[2];
    memcpy(unit, &c, 2);
    block->push_back(unit[0]);
    block->push_back(unit[1]);
  }
  block->push_back(0);
  block->push_back(0);
}

std::vector<std::string> ansiNames(const std::vector<uint8_t>& block) {
  DropFileList list(block.data(), block.size());
  std::vector<std::string> names;
  const uint8_t* name;
  size_t length;
  while (list.next(&name, &length))
    names.push_back(std::string((const char*)name, length));
  EXPECT_FALSE(list.next(&name, &length));
  return names;
}

std::vector<std::u16string> wideNames(const std::vector<uint8_t>& block) {
  DropFileList list(block.data(), block.size());
  EXPECT_TRUE(list.isWide());
  std::vector<std::u16string> names;
  const uint8_t* name;
  size_t length;
  while (list.next(&name, &length)) {
    std::u16string text(length, 0);
    memcpy(&text[0], name, length * 2);
    names.push_back(text);
  }
  return names;
}

typedef std::vector<std::string> Names;
typedef std::vector<std::u16string> WideNames;

} // namespace

TEST(DropFileList, WideNamesInOrderThenEnd) {
  std::vector<uint8_t> block = header(DropFileList::HeaderSize, true);
  appendWide(&block, u"C:\\a.txt");
  appendWide(&block, u"C:\\dir\\b\u00e9");
  appendWide(&block, u"");
  EXPECT_EQ((WideNames{u"C:\\a.txt", u"C:\\dir\\b\u00e9"}), wideNames(block));
}

TEST(DropFileList, AnsiNamesAndAnOffsetBeyondTheHeader) {
  std::vector<uint8_t> block = header(24, false);
  block.insert(block.end(), 4, 0xEE);
  appendAnsi(&block, "one");
  appendAnsi(&block, "two");
  appendAnsi(&block, "");
  EXPECT_EQ((Names{"one", "two"}), ansiNames(block));
}

TEST(DropFileList, WideNamesNeedNoAlignment) {
  std::vector<uint8_t> block = header(21, true);
  block.push_back(0xEE);
  appendWide(&block, u"odd");
  appendWide(&block, u"");
  EXPECT_EQ((WideNames{u"odd"}), wideNames(block));
}

TEST(DropFileList, MissingTerminatorsEndTheList) {
  std::vector<uint8_t> block = header(DropFileList::HeaderSize, false);
  appendAnsi(&block, "whole");
  block.push_back('c');
  block.push_back('u');
  EXPECT_EQ((Names{"whole"}), ansiNames(block)); // the cut name is not offered

  std::vector<uint8_t> wide = header(DropFileList::HeaderSize, true);
  appendWide(&wide, u"whole");
  wide.push_back('x'); // half a UTF-16 unit
  EXPECT_EQ((WideNames{u"whole"}), wideNames(wide));
}

TEST(DropFileList, OffsetsOutsideTheBlockAndShortHeaders) {
  std::vector<uint8_t> block = header(1000, false);
  appendAnsi(&block, "never");
  EXPECT_TRUE(ansiNames(block).empty());

  block = header(0xFFFFFFFF, true);
  EXPECT_TRUE(wideNames(block).empty());

  block = header(DropFileList::HeaderSize, false);
  block.resize(DropFileList::HeaderSize - 1);
  EXPECT_TRUE(ansiNames(block).empty());
  EXPECT_TRUE(ansiNames({}).empty());
}
