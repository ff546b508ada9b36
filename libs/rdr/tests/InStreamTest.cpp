#include "ScriptedInStream.h"

#include "plat/String.h"
#include "rdr/Exception.h"
#include "rdr/MemInStream.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::ScriptedInStream;

namespace {

const uint8_t sample[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                          0x00, 0x00, 0x00, 0x03, 'a',  'b',  'c'};

// Counts bytes without storing them: lets a test push gigabytes through a
// stream in a moment.
class EndlessInStream : public rdr::BufferedInStream {
public:
  EndlessInStream() : rdr::BufferedInStream(65536) {}

protected:
  int readData(uint8_t* buffer, int length) override { return length; }
};

} // namespace

TEST(InStream, IntegersAreBigEndianAndReadInPlace) {
  rdr::MemInStream in(sample, sizeof(sample));
  EXPECT_EQ(0x01020304u, in.readU32());
  EXPECT_EQ(0x0506u, in.readU16());
  EXPECT_EQ(0x07u, in.readU8());
  EXPECT_EQ(7, in.pos());
  const uint8_t* p = in.getptr();
  uint8_t scratch[3];
  EXPECT_EQ(p, in.readBytes(scratch, 3)); // within the window: no copy
  rdr::MemInStream in64(sample, 8);
  EXPECT_EQ(0x0102030405060708ull, in64.readU64());
  EXPECT_THROW(in64.readU8(), rdr::EndOfStream);
}

TEST(InStream, RefillsGatherAnItemInTheWindow) {
  ScriptedInStream in(16);
  in.setMaxChunk(3);
  in.append(sample, sizeof(sample));
  in.readU8();
  in.checkpoint();
  // Delivered three bytes at a time, yet handed out in place.
  uint8_t buf[9];
  const uint8_t* got = in.readBytes(buf, 9);
  EXPECT_NE(buf, got);
  EXPECT_EQ(0, memcmp(sample + 1, got, 9));
  EXPECT_EQ(10, in.pos());
}

TEST(InStream, StringsHonourTheirCap) {
  rdr::MemInStream in(sample + 8, 7);
  plat::String abc = plat::String::adopt(in.readString(3));
  EXPECT_STREQ("abc", abc.c_str());

  const uint8_t empty[] = {0, 0, 0, 0};
  rdr::MemInStream e(empty, 4);
  plat::String none = plat::String::adopt(e.readString(0));
  EXPECT_STREQ("", none.c_str());

  // Over the cap: refused before a byte of the body is needed.
  const uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0xFF};
  rdr::MemInStream h(huge, 4);
  EXPECT_THROW(h.readString(1024), rdr::StringTooLongException);
  rdr::MemInStream two(sample + 8, 7);
  EXPECT_THROW(two.readString(2), rdr::StringTooLongException);
}

TEST(InStream, BlockingRewindsToTheCheckpoint) {
  ScriptedInStream in;
  in.append(sample, 6);
  in.readU16();
  in.checkpoint();
  EXPECT_EQ(0x03040506u, in.readU32());
  EXPECT_THROW(in.readU32(), rdr::BlockException);
  EXPECT_EQ(2, in.pos()); // back at the checkpoint, to read it all again
  in.append(sample + 6, 2);
  EXPECT_EQ(0x03040506u, in.readU32());
  EXPECT_EQ(0x0708u, in.readU16());

  // A string whose body has not all arrived is read again whole.
  ScriptedInStream s;
  s.append(sample + 8, 5);
  s.checkpoint();
  EXPECT_THROW(s.readString(100), rdr::BlockException);
  s.append(sample + 13, 2);
  plat::String abc = plat::String::adopt(s.readString(100));
  EXPECT_STREQ("abc", abc.c_str());
}

TEST(InStream, Reposition) {
  rdr::MemInStream in(sample, sizeof(sample));
  in.skip(4);
  in.checkpoint();
  in.skip(3);
  in.reposition(6);
  EXPECT_EQ(6, in.pos());
  EXPECT_EQ(0x07, in.readU8());
  in.reposition(4); // the checkpoint itself: only a rewind
  EXPECT_EQ(4, in.pos());
  try {
    in.reposition(3);
    FAIL();
  } catch (plat::Exception& e) {
    EXPECT_STREQ("Can't reposition before checkpoint", e.str());
  }
}

TEST(InStream, FullBufferWithoutProgressIsAnError) {
  // The checkpoint pins all eight bytes: nothing can be dropped to make room.
  ScriptedInStream in(8);
  in.append(sample, sizeof(sample));
  uint8_t buf[8];
  in.readBytes(buf, 8);
  try {
    in.readU8();
    FAIL();
  } catch (plat::Exception& e) {
    EXPECT_STREQ("InStream overrun: buffer size exceeded", e.str());
  }
}

TEST(InStream, PositionsWrapPast2GiBWithoutOverflow) {
  EndlessInStream in;
  const int64_t total = 5LL << 30; // 5 GiB
  int64_t done = 0;
  while (done < total) {
    if (in.avail() == 0)
      in.check(true, 1);
    int n = in.avail();
    in.skip(n);
    done += n;
    in.checkpoint();
  }
  EXPECT_EQ(rdr::wrapPos(done), in.pos());
  // Repositioning relative to a checkpoint above 4 GiB still works.
  int base = in.pos();
  in.check(true, 100);
  in.skip(50);
  in.reposition(base + 10);
  EXPECT_EQ(rdr::wrapPos(done + 10), in.pos());
}

TEST(InStream, TraceDumpsDeliveredBytes) {
  ScriptedInStream in;
  in.setTrace(true);
  in.append("abcde", 5);
  testing::internal::CaptureStderr();
  in.check(true, 1);
  std::string dump = testing::internal::GetCapturedStderr();
  std::string expected = " <-- 61 62 63 64  65 " + std::string(11 * 3 + 3, ' ') + "abcde\n";
  EXPECT_EQ(expected, dump);
}
