#include "ScriptedInStream.h"

#include "rdr/Exception.h"
#include "rdr/InStreamV4.h"
#include "rdr/MemInStream.h"
#include "rdr/MemOutStream.h"
#include "rdr/OutStreamV4.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using testing_support::ScriptedInStream;

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes payload(size_t n, unsigned seed = 1) {
  Bytes v(n);
  for (size_t i = 0; i < n; i++)
    v[i] = (uint8_t)(i * 131 + seed * 17 + i / 256);
  return v;
}

Bytes frame(const Bytes& data, bool last) {
  Bytes f;
  f.push_back((uint8_t)((last ? 0x80 : 0) | data.size() >> 8));
  f.push_back((uint8_t)(data.size() & 0xFF));
  f.insert(f.end(), data.begin(), data.end());
  return f;
}

Bytes writeMessage(const Bytes& data) {
  rdr::MemOutStream mem(100000);
  rdr::OutStreamV4 out(&mem);
  out.startMsg();
  out.write(data.data(), (int)data.size());
  out.endMsg();
  return Bytes(mem.data(), mem.data() + mem.length());
}

// Reads framed messages as the connection does: begin, consume the payload
// in place window by window (a checkpoint after each piece, so a block never
// gives back what was taken), end. Stops quietly when data runs out.
struct PayloadReader {
  explicit PayloadReader(rdr::InStream* underlying) : in(underlying) {}

  void pump() {
    try {
      for (;;) {
        if (!inside) {
          in.startMsg();
          inside = true;
          current.clear();
        }
        while (!in.atEndOfMsg()) {
          if (in.avail() == 0)
            in.check(true, 1);
          current.insert(current.end(), in.getptr(), in.getend());
          in.setptr(in.getend());
          in.checkpoint();
        }
        in.endMsg();
        messages.push_back(current);
        inside = false;
      }
    } catch (rdr::BlockException&) {
    }
  }

  rdr::InStreamV4 in;
  bool inside = false;
  Bytes current;
  std::vector<Bytes> messages;
};

// Reads messages made of 32-bit values with no checkpoint inside a message:
// a block rewinds to its first payload byte and the message is read again.
struct WordReader {
  explicit WordReader(rdr::InStream* underlying) : in(underlying) {}

  void pump() {
    try {
      for (;;) {
        in.startMsg();
        std::vector<uint32_t> words;
        while (!in.atEndOfMsg())
          words.push_back(in.readU32());
        in.endMsg();
        messages.push_back(words);
      }
    } catch (rdr::BlockException&) {
    }
  }

  rdr::InStreamV4 in;
  std::vector<std::vector<uint32_t>> messages;
};

// One endless message of full frames, made up as it is read: only the
// headers are written, the payload is whatever the buffer held.
class EndlessFrames : public rdr::BufferedInStream {
public:
  EndlessFrames() : rdr::BufferedInStream(1 << 16) {}

protected:
  int readData(uint8_t* buffer, int length) override {
    const int64_t frame = 32767 + 2;
    int64_t endPos = at + length;
    for (int64_t h = at - at % frame; h < endPos; h += frame) {
      if (h >= at)
        buffer[h - at] = 0x7F;
      if (h + 1 >= at && h + 1 < endPos)
        buffer[h + 1 - at] = 0xFF;
    }
    at = endPos;
    return length;
  }

private:
  int64_t at = 0;
};

} // namespace

TEST(OutStreamV4, FrameHeadersAsOnTheWire) {
  EXPECT_EQ(Bytes({0x80, 0x00}), writeMessage(Bytes()));
  EXPECT_EQ(Bytes({0x80, 0x03, 1, 2, 3}), writeMessage(Bytes({1, 2, 3})));

  Bytes p = payload(32766);
  EXPECT_EQ(frame(p, true), writeMessage(p));

  p = payload(32767);
  Bytes expected = frame(Bytes(p.begin(), p.begin() + 32766), false);
  Bytes tail = frame(Bytes(p.begin() + 32766, p.end()), true);
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(expected, writeMessage(p));

  p = payload(40000);
  Bytes out = writeMessage(p);
  ASSERT_EQ(40004u, out.size());
  EXPECT_EQ(0x7F, out[0]);
  EXPECT_EQ(0xFE, out[1]);
  EXPECT_EQ(0x9C, out[32768]);
  EXPECT_EQ(0x42, out[32769]);
}

TEST(OutStreamV4, FlushEndsAFrameAndTheMessageGoesOn) {
  rdr::MemOutStream mem;
  rdr::OutStreamV4 out(&mem);
  out.startMsg();
  out.writeU16(0x0102);
  out.flush();
  out.writeU8(3);
  out.endMsg();
  EXPECT_EQ(Bytes({0x00, 0x02, 1, 2, 0x80, 0x01, 3}), Bytes(mem.data(), mem.data() + mem.length()));
  EXPECT_EQ(7, out.length());
}

TEST(OutStreamV4, MisuseIsReported) {
  rdr::MemOutStream mem;
  rdr::OutStreamV4 out(&mem);
  try {
    out.endMsg();
    FAIL();
  } catch (rdr::FrameException& e) {
    EXPECT_STREQ("FramedOutStream::endMsg: not in frame", e.str());
  }
  try {
    out.writeU8(1);
    FAIL();
  } catch (rdr::FrameException& e) {
    EXPECT_STREQ("FramedOutStream::endFrame: not in frame", e.str());
  }
  out.startMsg();
  try {
    out.startMsg();
    FAIL();
  } catch (rdr::FrameException& e) {
    EXPECT_STREQ("FramedOutStream::startFrame: unfinished frame", e.str());
  }
  out.endMsg();
  EXPECT_EQ(Bytes({0x80, 0x00}), Bytes(mem.data(), mem.data() + mem.length()));
}

TEST(OutStreamV4, AvailLeavesRoomForTheHeader) {
  rdr::MemOutStream unlimited;
  rdr::OutStreamV4 out(&unlimited);
  EXPECT_EQ(2147483647 - 2, out.avail());
}

TEST(InStreamV4, EmptyMessage) {
  const uint8_t wire[] = {0x80, 0x00};
  rdr::MemInStream mem(wire, 2);
  rdr::InStreamV4 in(&mem);
  in.startMsg();
  EXPECT_TRUE(in.atEndOfMsg());
  in.endMsg();
  EXPECT_EQ(2, mem.pos());
}

TEST(InStreamV4, FrameBoundariesAreInvisible) {
  // An empty non-last frame, a 3-byte frame, a last frame of 1 byte.
  const uint8_t wire[] = {0x00, 0x00, 0x00, 0x03, 0x0A, 0x0B, 0x0C, 0x80, 0x01, 0x0D};
  rdr::MemInStream mem(wire, sizeof(wire));
  rdr::InStreamV4 in(&mem);
  in.startMsg();
  EXPECT_EQ(0x0A0B0C0Du, in.readU32());
  EXPECT_EQ(4, in.pos());
  EXPECT_TRUE(in.atEndOfMsg());
  try {
    in.readU8();
    FAIL();
  } catch (rdr::EndOfMsg& e) {
    EXPECT_STREQ("End of message", e.str());
  }
  in.endMsg();
}

TEST(InStreamV4, EndMsgWithDataLeftFailsAndSkipMsgDiscards) {
  const uint8_t wire[] = {0x80, 0x02, 0x01, 0x02, 0x00, 0x01, 0x05, 0x80, 0x00};
  rdr::MemInStream mem(wire, sizeof(wire));
  rdr::InStreamV4 in(&mem);
  in.startMsg();
  in.readU8();
  try {
    in.endMsg();
    FAIL();
  } catch (rdr::FrameException& e) {
    EXPECT_STREQ("FramedInStream::endMsg: data left in msg", e.str());
  }
  in.skipMsg();
  in.endMsg();
  in.startMsg(); // the next message: 05 in a non-last frame, then an empty last
  EXPECT_EQ(5, in.readU8());
  EXPECT_TRUE(in.atEndOfMsg());
  in.endMsg();
}

TEST(InStreamV4, MissingSecondFrameBlocksAndResumes) {
  ScriptedInStream sock;
  rdr::InStreamV4 in(&sock);
  const uint8_t first[] = {0x00, 0x02, 0x11, 0x22};
  const uint8_t second[] = {0x80, 0x02, 0x33, 0x44};
  sock.append(first, sizeof(first));
  in.startMsg();
  EXPECT_THROW(in.readU32(), rdr::BlockException);
  // Back at the first payload byte, with the first frame's size and flag.
  EXPECT_EQ(0, in.pos());
  EXPECT_EQ(2, in.avail());
  EXPECT_FALSE(in.atEndOfMsg());
  in.startMsg(); // already inside: nothing
  EXPECT_EQ(0, in.pos());
  sock.append(second, 1);
  EXPECT_THROW(in.readU32(), rdr::BlockException); // half a header
  sock.append(second + 1, 3);
  EXPECT_EQ(0x11223344u, in.readU32());
  EXPECT_TRUE(in.atEndOfMsg());
  in.endMsg();
}

TEST(InStreamV4, WholeAndOneByteAtATimeReadTheSame) {
  // Messages cut in odd places by the writer: a small underlying buffer
  // ends frames early, and flush() adds frames of its own.
  rdr::MemOutStream mem;
  {
    rdr::OutStreamV4 out(&mem);
    for (uint32_t m = 0; m < 40; m++) {
      out.startMsg();
      for (uint32_t i = 0; i < m * 37 % 23; i++) {
        out.writeU32(m << 16 | i);
        if (i % 7 == 3)
          out.flush();
      }
      out.endMsg();
    }
  }
  Bytes wire(mem.data(), mem.data() + mem.length());

  ScriptedInStream whole;
  WordReader all(&whole);
  whole.append(wire.data(), wire.size());
  all.pump();
  ASSERT_EQ(40u, all.messages.size());
  EXPECT_EQ(14u, all.messages[1].size());

  ScriptedInStream trickle(4096);
  WordReader slow(&trickle);
  trickle.append(wire.data(), wire.size(), false);
  while (trickle.unreleased() > 0) {
    trickle.release(1);
    slow.pump(); // and a "would block" after every byte
  }
  EXPECT_EQ(all.messages, slow.messages);
}

TEST(InStreamV4, RandomCutsEmptyFramesAndFullFrames) {
  std::mt19937 rng(12345);
  std::vector<Bytes> messages;
  Bytes wire;
  for (int m = 0; m < 60; m++) {
    size_t length = rng() % 5 == 0 ? 32767 * (1 + rng() % 2) + rng() % 3 : rng() % 3000;
    Bytes p = payload(length, m);
    messages.push_back(p);
    size_t at = 0;
    for (;;) {
      size_t left = p.size() - at;
      size_t cut;
      switch (rng() % 4) {
      case 0: cut = 0; break; // an empty frame that is not the last
      case 1: cut = 32767; break;
      default: cut = rng() % 2000; break;
      }
      if (cut >= left) {
        Bytes f = frame(Bytes(p.begin() + at, p.end()), true);
        wire.insert(wire.end(), f.begin(), f.end());
        break;
      }
      Bytes f = frame(Bytes(p.begin() + at, p.begin() + at + cut), false);
      wire.insert(wire.end(), f.begin(), f.end());
      at += cut;
    }
  }

  ScriptedInStream sock(40000);
  PayloadReader reader(&sock);
  sock.append(wire.data(), wire.size(), false);
  while (sock.unreleased() > 0) {
    sock.release(rng() % 3 == 0 ? 1 : rng() % 9000);
    sock.setMaxChunk(rng() % 2 ? 0 : 1 + rng() % 700);
    reader.pump();
  }
  reader.pump();
  EXPECT_EQ(messages, reader.messages);
}

TEST(InStreamV4, MessagePositionCountsPast2GiB) {
  EndlessFrames frames;
  rdr::InStreamV4 in(&frames);
  in.startMsg();
  const int64_t total = 5LL << 29; // 2.5 GiB
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
  EXPECT_FALSE(in.atEndOfMsg());
}

TEST(FramedStreams, RoundTripThroughASmallBuffer) {
  // Frames also end where the underlying room ends.
  rdr::MemOutStream mem(16);
  rdr::OutStreamV4 out(&mem);
  std::vector<Bytes> sent;
  for (unsigned m = 0; m < 20; m++) {
    Bytes p = payload(m * 977 % 5000, m);
    sent.push_back(p);
    out.startMsg();
    for (size_t i = 0; i < p.size(); i += 333)
      out.write(p.data() + i, (int)std::min<size_t>(333, p.size() - i));
    out.endMsg();
  }
  rdr::MemInStream wire(mem.data(), mem.length());
  PayloadReader reader(&wire);
  try {
    reader.pump();
  } catch (rdr::EndOfStream&) {
  }
  EXPECT_EQ(sent, reader.messages);
}
