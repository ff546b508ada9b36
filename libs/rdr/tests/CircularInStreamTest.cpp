#include "rdr/CircularInStream.h"
#include "rdr/Exception.h"

#include <gtest/gtest.h>

namespace {

const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

} // namespace

TEST(CircularInStream, FillsWrapsAndNeverOverwritesTheCheckpoint) {
  rdr::CircularInStream ring(8);
  ring.write(bytes, 8);
  try {
    ring.write(bytes, 1);
    FAIL();
  } catch (rdr::CircularInStream::Overflow& e) {
    EXPECT_STREQ("Overflow", e.str());
  }
  EXPECT_EQ(0x01020304u, ring.readU32());
  // Consumed but not yet behind a checkpoint: still protected.
  EXPECT_THROW(ring.write(bytes, 1), rdr::CircularInStream::Overflow);
  ring.checkpoint();
  ring.write(bytes + 8, 4); // wraps to the front
  EXPECT_THROW(ring.write(bytes, 1), rdr::CircularInStream::Overflow);
  uint8_t buf[8];
  const uint8_t* got = ring.readBytes(buf, 8); // across the wrap: copied
  EXPECT_EQ(buf, got);
  EXPECT_EQ(0, memcmp(bytes + 4, buf, 8));
  EXPECT_EQ(12, ring.pos());
  EXPECT_FALSE(ring.check(false, 1));
}

TEST(CircularInStream, RewindCrossesTheWrapBack) {
  rdr::CircularInStream ring(8);
  ring.write(bytes, 6);
  ring.readU32();
  ring.checkpoint(); // at 4
  ring.write(bytes + 6, 6); // 7, 8 at the end, 9..12 at the front
  EXPECT_EQ(0x05060708u, ring.readU32());
  EXPECT_EQ(0x090A0B0Cu, ring.readU32()); // the reader wrapped
  EXPECT_EQ(12, ring.pos());
  ring.rewind();
  EXPECT_EQ(4, ring.pos());
  EXPECT_EQ(0x05060708u, ring.readU32());
  EXPECT_EQ(0x090A0B0Cu, ring.readU32());
  ring.checkpoint(); // same lap again: the whole ring is free
  ring.write(bytes, 8);
  EXPECT_EQ(0x01020304u, ring.readU32());
  EXPECT_EQ(16, ring.pos());
}

TEST(CircularInStream, ClosedAndDrainedIsTheEnd) {
  rdr::CircularInStream ring(4);
  ring.write(bytes, 2);
  ring.close();
  EXPECT_EQ(0x0102u, ring.readU16());
  EXPECT_THROW(ring.readU8(), rdr::EndOfStream);
}

TEST(CircularInStream, OffsetCountsPast4GiB) {
  rdr::CircularInStream ring(4096);
  uint8_t chunk[4096] = {};
  const int64_t laps = (3LL << 30) / 4096;
  for (int64_t i = 0; i < laps; i++) {
    ring.write(chunk, 4096);
    ring.skip(4096);
    ring.checkpoint();
  }
  EXPECT_EQ(rdr::wrapPos(laps * 4096), ring.pos());
}
