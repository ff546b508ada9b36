#include "testing/Png.h"

#include <gtest/gtest.h>
#include <zlib.h>

using testing_support::encodePng;

namespace {

uint32_t get32(const std::vector<uint8_t>& b, size_t at) {
  return (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | b[at + 3];
}

} // namespace

// Walks the chunks as a viewer does: lengths, CRCs, and the inflated rows.
TEST(Png, ChunksCheckAndRowsInflateBack) {
  const int width = 3, height = 2;
  const uint8_t rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::vector<uint8_t> png = encodePng(width, height, rgb);
  ASSERT_EQ(0, memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8));

  std::vector<std::string> types;
  std::vector<uint8_t> idat;
  size_t at = 8;
  while (at < png.size()) {
    uint32_t length = get32(png, at);
    std::string type((const char*)&png[at + 4], 4);
    types.push_back(type);
    uLong crc = crc32(0, &png[at + 4], length + 4);
    EXPECT_EQ(crc, get32(png, at + 8 + length)) << type;
    if (type == "IHDR") {
      EXPECT_EQ((uint32_t)width, get32(png, at + 8));
      EXPECT_EQ((uint32_t)height, get32(png, at + 12));
      EXPECT_EQ(8, png[at + 16]); // bit depth
      EXPECT_EQ(2, png[at + 17]); // truecolour
    }
    if (type == "IDAT")
      idat.insert(idat.end(), &png[at + 8], &png[at + 8 + length]);
    at += 12 + length;
  }
  EXPECT_EQ(png.size(), at);
  EXPECT_EQ((std::vector<std::string>{"IHDR", "IDAT", "IEND"}), types);

  uint8_t rows[2 * (1 + width * 3)];
  uLongf size = sizeof(rows);
  ASSERT_EQ(Z_OK, uncompress(rows, &size, idat.data(), idat.size()));
  ASSERT_EQ(sizeof(rows), size);
  EXPECT_EQ(0, rows[0]);
  EXPECT_EQ(0, memcmp(rows + 1, rgb, 9));
  EXPECT_EQ(0, rows[10]);
  EXPECT_EQ(0, memcmp(rows + 11, rgb + 9, 9));
}
