#include "RecordingHandler.h"
#include "Settings.h"
#include "TestConnection.h"

#include "ft/MsgWriter.h"
#include "ft/Parameters.h"
#include "ft/ShareEntry.h"
#include "rdr/MemInStream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

using testing_support::Setting;
using testing_support::TestConnection;
typedef std::vector<uint8_t> Bytes;

namespace {

const ft::FileId file12(1, 2);

class VectorEnum : public ft::MsgWriter::ShareEnum {
public:
  explicit VectorEnum(std::vector<ft::ShareEntry*>& entries) : entries(entries) {}
  ft::ShareEntry* current() override { return at < entries.size() ? entries[at] : nullptr; }
  void next() override { at++; }
  size_t at = 0;

private:
  std::vector<ft::ShareEntry*>& entries;
};

Bytes text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes u32(uint32_t v) {
  return Bytes({(uint8_t)(v >> 24), (uint8_t)(v >> 16), (uint8_t)(v >> 8), (uint8_t)v});
}

// The data of the CompressedFileData messages on the wire, read as the
// peer reads them: by one inflate stream, in order, each message whole.
Bytes inflateMessages(const Bytes& wire) {
  z_stream inf = {};
  EXPECT_EQ(Z_OK, inflateInit(&inf));
  Bytes out, piece(1 << 16);
  for (size_t at = 0; at + 16 <= wire.size();) {
    size_t length = wire[at + 14] << 8 | wire[at + 15];
    inf.next_in = const_cast<uint8_t*>(&wire[at + 16]);
    inf.avail_in = (uInt)length;
    do {
      inf.next_out = piece.data();
      inf.avail_out = (uInt)piece.size();
      EXPECT_EQ(Z_OK, inflate(&inf, Z_SYNC_FLUSH));
      out.insert(out.end(), piece.data(), piece.data() + piece.size() - inf.avail_out);
    } while (inf.avail_in > 0);
    at += 16 + length;
  }
  inflateEnd(&inf);
  return out;
}

class MsgWriterTest : public testing::Test {
protected:
  TestConnection conn;
  ft::MsgWriter writer{&conn};
};

} // namespace

TEST_F(MsgWriterTest, GoldenBytesOfEveryMessage) {
  EXPECT_EQ(13, writer.writeShareCtrl(7, 0, 2));
  EXPECT_EQ(cat({{0x80, 13}, u32(1), u32(7), {0}, u32(2)}), conn.bytes());
  conn.clear();

  EXPECT_EQ(19, writer.writeReqShare(7, "a/b", 3));
  EXPECT_EQ(cat({{0x80, 19}, u32(2), u32(7), u32(3), text("a/b"), u32(3)}), conn.bytes());
  conn.clear();

  EXPECT_EQ(12, writer.writeShareDataEOF(7));
  EXPECT_EQ(cat({{0x80, 12}, u32(3), u32(7), u32(0)}), conn.bytes());
  conn.clear();

  ft::ShareEntry entry("d/f", ft::ShareEntry::ReadOnly, 5, 6, 7, 8);
  std::vector<ft::ShareEntry*> list = {&entry};
  VectorEnum entries(list);
  EXPECT_EQ(1, writer.writeShareData(7, entries));
  rdr::MemOutStream record;
  entry.write(record);
  Bytes recordBytes(record.data(), record.data() + record.length());
  EXPECT_EQ(cat({{0x80, (uint8_t)(12 + recordBytes.size())}, u32(3), u32(7), u32(1), recordBytes}),
            conn.bytes());
  conn.clear();

  EXPECT_EQ(42, writer.writeReqFile("f", file12, 100, 5, 50, 1));
  EXPECT_EQ(cat({{0x80, 42}, u32(4), u32(1), text("f"), u32(1), u32(2), u32(0), u32(100), u32(0),
                 u32(5), u32(0), u32(50), {1}}),
            conn.bytes());
  conn.clear();

  EXPECT_EQ(20, writer.writeUpdateByteLimit(file12, 0x100001122ull));
  EXPECT_EQ(cat({{0x80, 20}, u32(5), u32(1), u32(2), u32(1), u32(0x1122)}), conn.bytes());
  conn.clear();

  rdr::MemInStream source("hello", 5);
  EXPECT_EQ(5, writer.writeFileData(file12, source, 65535, false));
  EXPECT_EQ(cat({{0x80, 19}, u32(6), u32(1), u32(2), {0, 5}, text("hello")}), conn.bytes());
  EXPECT_EQ(5, source.pos());
  conn.clear();

  EXPECT_TRUE(writer.writeFileEOF(file12));
  EXPECT_EQ(cat({{0x80, 14}, u32(6), u32(1), u32(2), {0, 0}}), conn.bytes());
  conn.clear();

  EXPECT_TRUE(writer.writeFileError(file12, "bad"));
  EXPECT_EQ(cat({{0x80, 19}, u32(7), u32(1), u32(2), u32(3), text("bad")}), conn.bytes());
  conn.clear();
  EXPECT_TRUE(writer.writeFileError(file12, nullptr));
  EXPECT_EQ(cat({{0x80, 16}, u32(7), u32(1), u32(2), u32(0)}), conn.bytes());
  conn.clear();

  EXPECT_TRUE(writer.writeAbortFile(file12));
  EXPECT_EQ(cat({{0x80, 12}, u32(8), u32(1), u32(2)}), conn.bytes());
  conn.clear();

  EXPECT_EQ(8, writer.writeReleaseShare(7));
  EXPECT_EQ(cat({{0x80, 8}, u32(9), u32(7)}), conn.bytes());
  conn.clear();

  Bytes zeroBytes(300, 0);
  rdr::MemInStream zeros(zeroBytes.data(), 300);
  EXPECT_EQ(300, writer.writeFileData(file12, zeros, 65535, true));
  Bytes wire = conn.bytes();
  ASSERT_GT(wire.size(), 16u);
  EXPECT_EQ(cat({{0x80, (uint8_t)(wire.size() - 2)}, u32(10), u32(1), u32(2)}),
            Bytes(wire.begin(), wire.begin() + 14));
  EXPECT_EQ(wire.size() - 16, (size_t)(wire[14] << 8 | wire[15]));
  EXPECT_EQ(0x78, wire[16]); // the deflate stream's header opens the first one
}

TEST_F(MsgWriterTest, NothingIsWrittenWithoutRoomOrWriter) {
  conn.setSpace(12);
  EXPECT_EQ(0, writer.writeShareCtrl(1, 0, 0));
  EXPECT_EQ(0, writer.writeReqFile("abc", file12, 1, 0, 0, 0)); // needs 44
  EXPECT_TRUE(writer.writeAbortFile(file12)); // exactly its 12 bytes
  conn.setSpace(13);
  EXPECT_EQ(13, writer.writeShareCtrl(1, 1, 0));
  conn.clear();

  conn.setSpace(113);
  Bytes ones(500, 1);
  rdr::MemInStream source(ones.data(), 500);
  EXPECT_EQ(0, writer.writeFileData(file12, source, 65535, false));
  EXPECT_TRUE(conn.bytes().empty());

  conn.setSpace(10000);
  conn.hasWriter = false;
  EXPECT_EQ(0, writer.writeFileData(file12, source, 65535, false));
  EXPECT_EQ(0, writer.writeReleaseShare(1));
  EXPECT_TRUE(conn.bytes().empty());
  EXPECT_EQ(0, source.pos());
}

TEST_F(MsgWriterTest, EveryWriterNeedsTheRoomOfItsWholeMessage) {
  std::pair<int, std::function<int()>> writers[] = {
      {13, [&] { return writer.writeShareCtrl(7, 0, 2); }},
      {19, [&] { return writer.writeReqShare(7, "a/b", 3); }},
      {12, [&] { return writer.writeShareDataEOF(7); }},
      {42, [&] { return writer.writeReqFile("f", file12, 1, 0, 9, 1); }},
      {20, [&] { return writer.writeUpdateByteLimit(file12, 9); }},
      {14, [&] { return (int)writer.writeFileEOF(file12); }},
      {19, [&] { return (int)writer.writeFileError(file12, "bad"); }},
      {12, [&] { return (int)writer.writeAbortFile(file12); }},
      {8, [&] { return writer.writeReleaseShare(7); }},
  };
  for (auto& w : writers) {
    conn.setSpace(w.first - 1);
    EXPECT_EQ(0, w.second()) << w.first;
    conn.setSpace(w.first);
    EXPECT_NE(0, w.second()) << w.first;
    EXPECT_EQ((size_t)w.first + 2, conn.bytes().size()) << w.first;
    conn.clear();
  }
}

TEST_F(MsgWriterTest, BudgetFollowsFileTransferBias) {
  struct Case {
    int bias, space, data;
  } cases[] = {
      {25, 10000, 2486},   // 2500 of budget, less the 14-byte head
      {200, 10000, 9486},  // at most 95 %
      {-5, 10000, 100},    // the minimum: 114 bytes of budget
      {25, 114, 100},      // the minimum again
      {95, 100000, 16370}, // never more than 16384 of budget
      {0, 5000, 100},
  };
  Bytes data(20000, 'x');
  for (const Case& c : cases) {
    Setting<plat::IntParameter, int> bias(ft::fileTransferBias, c.bias);
    conn.setSpace(c.space);
    rdr::MemInStream source(data.data(), (int)data.size());
    EXPECT_EQ(c.data, writer.writeFileData(file12, source, 65535, false))
        << "bias " << c.bias << ", space " << c.space;
    EXPECT_EQ((size_t)c.data + 16, conn.bytes().size());
    conn.clear();
  }
  {
    Setting<plat::IntParameter, int> high(ft::fileTransferBias, 200);
    EXPECT_DOUBLE_EQ(0.95, ft::MsgWriter::bias());
  }
  Setting<plat::IntParameter, int> bias(ft::fileTransferBias, 25);
  EXPECT_EQ(2500, ft::MsgWriter::budget(10000, 114));
  // The caller's window (maxLen) and what the source holds limit it too.
  rdr::MemInStream source(data.data(), 1000);
  EXPECT_EQ(300, writer.writeFileData(file12, source, 300, false));
  EXPECT_EQ(700, writer.writeFileData(file12, source, 65535, false));
}

TEST_F(MsgWriterTest, ListingBatchesFollowTheBudget) {
  Setting<plat::IntParameter, int> bias(ft::fileTransferBias, 25);
  std::vector<std::unique_ptr<ft::ShareEntry>> owned;
  std::vector<ft::ShareEntry*> list;
  for (int i = 0; i < 100; i++) {
    char name[8];
    snprintf(name, sizeof(name), "f%02d", i);
    owned.emplace_back(new ft::ShareEntry(name, 0, i, 0, 0, 0)); // 47 bytes each
    list.push_back(owned.back().get());
  }
  VectorEnum entries(list);

  conn.setSpace(58); // the first entry needs 59
  EXPECT_EQ(0, writer.writeShareData(9, entries));
  EXPECT_EQ(0u, entries.at);
  EXPECT_TRUE(conn.bytes().empty());

  conn.setSpace(100); // 25 % is less than one entry: one goes anyway
  EXPECT_EQ(1, writer.writeShareData(9, entries));
  conn.clear();

  conn.setSpace(10000); // 2500 bytes: 52 entries of 47 and the 12-byte head
  EXPECT_EQ(52, writer.writeShareData(9, entries));
  EXPECT_EQ(53u, entries.at);
  EXPECT_EQ(2u + 12 + 52 * 47, conn.bytes().size());
  conn.clear();
  EXPECT_EQ(47, writer.writeShareData(9, entries));
  EXPECT_EQ(0, writer.writeShareData(9, entries)); // at the end: nothing
  EXPECT_EQ(100u, entries.at);
}

TEST_F(MsgWriterTest, LongStringsAreKeptWithinThePeersCap) {
  std::string longName(1025, 'n');
  ft::ShareEntry a("a", 0, 1, 0, 0, 0), tooLong(longName.c_str(), 0, 2, 0, 0, 0),
      b("b", 0, 3, 0, 0, 0);
  std::vector<ft::ShareEntry*> list = {&a, &tooLong, &b};
  VectorEnum entries(list);
  EXPECT_EQ(2, writer.writeShareData(4, entries));
  EXPECT_EQ(3u, entries.at); // moved past the one it skipped
  Bytes wire = conn.bytes();
  EXPECT_EQ(u32(2), Bytes(wire.begin() + 10, wire.begin() + 14));
  conn.clear();

  // Cut at 1024 bytes, but never inside a character.
  std::string message = std::string(1023, 'e') + "\xc3\xa9" + "tail";
  EXPECT_TRUE(writer.writeFileError(file12, message.c_str()));
  wire = conn.bytes();
  EXPECT_EQ(u32(1023), Bytes(wire.begin() + 14, wire.begin() + 18));
  EXPECT_EQ(18u + 1023, wire.size());
  conn.clear();
  std::string plain(3000, 'p');
  EXPECT_TRUE(writer.writeFileError(file12, plain.c_str()));
  EXPECT_EQ(18u + 1024, conn.bytes().size());
}

TEST_F(MsgWriterTest, FtCompressOffMeansPlainData) {
  Setting<plat::BoolParameter, bool> off(ft::ftCompress, false);
  writer.writeReqFile("f", file12, 100, 0, 10, 1);
  EXPECT_EQ(0, conn.bytes().back());
  conn.clear();
  Bytes zeroBytes(300, 0);
  rdr::MemInStream zeros(zeroBytes.data(), 300);
  EXPECT_EQ(300, writer.writeFileData(file12, zeros, 65535, true));
  Bytes wire = conn.bytes();
  EXPECT_EQ(u32(6), Bytes(wire.begin() + 2, wire.begin() + 6));
}

TEST_F(MsgWriterTest, FirstCompressedMessageOfIncompressibleDataFits) {
  // Stored by deflate, the data grows by its block header, the flush marker
  // and, on the stream's first output, the 2-byte stream header: all of it
  // must fit the message, with nothing left inside deflate.
  Setting<plat::IntParameter, int> bias(ft::fileTransferBias, 25);
  std::mt19937 rng(7);
  Bytes noise(20000);
  for (uint8_t& b : noise)
    b = (uint8_t)rng();
  conn.setSpace(10000);
  rdr::MemInStream source(noise.data(), (int)noise.size());
  int first = writer.writeFileData(file12, source, 65535, true);
  EXPECT_GT(first, 2400);
  EXPECT_LE(conn.bytes().size(), 2u + 2500);
  int second = writer.writeFileData(file12, source, 65535, true);
  EXPECT_GE(second, first); // later messages have no stream header to hold

  // Inflating the two messages in order gives the data back.
  Bytes out = inflateMessages(conn.bytes());
  ASSERT_EQ((size_t)(first + second), out.size());
  EXPECT_EQ(0, memcmp(noise.data(), out.data(), first + second));
}

// Two files, their messages taking turns on the wire, each message within
// its budget: the wire is what one zlib stream at the default level makes
// of the same messages' data with a sync flush after each, byte for byte.
TEST_F(MsgWriterTest, OneDefaultLevelStreamWithASyncFlushPerMessage) {
  Setting<plat::IntParameter, int> bias(ft::fileTransferBias, 25);
  std::string lines;
  for (int i = 0; lines.size() < 60000; i++)
    lines += "line " + std::to_string(i * 7 % 997) + " of the transfer log went well\n";
  std::mt19937 rng(5);
  std::string mixed(30000, '\0');
  for (char& c : mixed)
    c = (char)rng();
  mixed += lines;
  rdr::MemInStream first(lines.data(), (int)lines.size());
  rdr::MemInStream second(mixed.data(), (int)mixed.size());

  z_stream reference = {};
  ASSERT_EQ(Z_OK, deflateInit(&reference, Z_DEFAULT_COMPRESSION));
  Bytes expected, out(1 << 16), payloads;
  for (int turn = 0; first.avail() > 0 || second.avail() > 0; turn++) {
    bool two = first.avail() == 0 || (turn % 2 && second.avail() > 0);
    rdr::MemInStream& source = two ? second : first;
    const uint8_t* data = source.getptr();
    int budget = turn % 3 ? 2500 : 7500;
    conn.setSpace(budget * 4);
    conn.clear();
    int consumed = writer.writeFileData(ft::FileId(1, two ? 2 : 1), source, 65535, true);
    ASSERT_GT(consumed, 0);
    Bytes message = conn.bytes();
    // Within the budget, whatever deflate made of the data.
    ASSERT_LE(message.size(), 2u + budget) << turn;
    EXPECT_EQ(u32(10), Bytes(message.begin() + 2, message.begin() + 6));
    payloads.insert(payloads.end(), message.begin() + 16, message.end());

    reference.next_in = const_cast<uint8_t*>(data);
    reference.avail_in = (uInt)consumed;
    reference.next_out = out.data();
    reference.avail_out = (uInt)out.size();
    ASSERT_EQ(Z_OK, deflate(&reference, Z_SYNC_FLUSH));
    expected.insert(expected.end(), out.data(), out.data() + out.size() - reference.avail_out);
  }
  deflateEnd(&reference);
  EXPECT_TRUE(payloads == expected);
}

TEST_F(MsgWriterTest, HistoryCarriesAcrossFilesUntilReset) {
  std::mt19937 rng(11);
  std::string lines;
  while (lines.size() < 12000)
    lines += "row " + std::to_string(rng() % 100000) + ", size " + std::to_string(rng()) + "\n";
  conn.setSpace(100000);
  size_t firstFile = 0;
  for (uint32_t number : {1, 2}) {
    rdr::MemInStream source(lines.data(), (int)lines.size());
    EXPECT_EQ((int)lines.size(), writer.writeFileData(ft::FileId(1, number), source, 65535, true));
    if (number == 1)
      firstFile = conn.bytes().size();
  }
  // The second file refers to the first, whose bytes the peer has seen.
  EXPECT_LT((conn.bytes().size() - firstFile) * 10, firstFile);
  EXPECT_TRUE(inflateMessages(conn.bytes()) == text(lines + lines));

  // A new stream: its header, and no history to refer to.
  conn.clear();
  writer.resetDeflate();
  rdr::MemInStream again(lines.data(), (int)lines.size());
  writer.writeFileData(file12, again, 65535, true);
  EXPECT_EQ(0x78, conn.bytes()[16]);
  EXPECT_EQ(firstFile, conn.bytes().size());
  EXPECT_TRUE(inflateMessages(conn.bytes()) == text(lines));
}

TEST(MsgWriter, CompressionProbe) {
  std::string words;
  while (words.size() < 1024)
    words += "the quick brown fox jumps over the lazy dog ";
  EXPECT_TRUE(ft::MsgWriter::compressesWell((const uint8_t*)words.data(), 1024));
  std::mt19937 rng(3);
  Bytes noise(1024);
  for (uint8_t& b : noise)
    b = (uint8_t)rng();
  EXPECT_FALSE(ft::MsgWriter::compressesWell(noise.data(), 1024));
  // Each probe starts afresh: noise seen by the last one is still noise.
  EXPECT_FALSE(ft::MsgWriter::compressesWell(noise.data(), 1024));
  EXPECT_FALSE(ft::MsgWriter::compressesWell(noise.data(), 0));
}
