#include "rdr/Exception.h"
#include "rdr/MemOutStream.h"

#include <gtest/gtest.h>

#include <vector>

TEST(MemOutStream, WritesBigEndianAndGrows) {
  rdr::MemOutStream out(4);
  out.writeU8(0x01);
  out.writeU16(0x0203);
  out.writeU32(0x04050607);
  out.writeU64(0x08090A0B0C0D0E0Full);
  out.writeString("ab");
  out.writeString(nullptr);
  const uint8_t expected[] = {1, 2,  3,  4,  5,  6,  7, 8, 9, 10, 11, 12, 13, 14, 15,
                              0, 0,  0,  2,  'a', 'b', 0, 0, 0, 0};
  ASSERT_EQ((int)sizeof(expected), out.length());
  EXPECT_EQ(0, memcmp(expected, out.data(), sizeof(expected)));

  std::vector<uint8_t> big(100000, 0x5A);
  out.write(big.data(), (int)big.size());
  EXPECT_EQ((int)sizeof(expected) + 100000, out.length());
  EXPECT_EQ(0x5A, out.data()[out.length() - 1]);
  out.clear();
  EXPECT_EQ(0, out.length());
}

TEST(MemOutStream, MaximumIsEnforcedPerItem) {
  uint8_t bytes[11] = {};
  rdr::MemOutStream fits(16, 100);
  fits.write(bytes, 10);
  for (int i = 0; i < 8; i++)
    fits.write(bytes, 10);
  fits.write(bytes, 10); // 100 exactly
  EXPECT_EQ(100, fits.length());

  rdr::MemOutStream full(16, 100);
  for (int i = 0; i < 9; i++)
    full.write(bytes, 10);
  try {
    full.write(bytes, 11);
    FAIL();
  } catch (rdr::OutStreamFull& e) {
    EXPECT_STREQ("OutStream full", e.str());
  }
  EXPECT_EQ(90, full.length());
}
