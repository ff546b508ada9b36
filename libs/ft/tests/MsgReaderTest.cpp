#include "ReceiverPump.h"
#include "RecordingHandler.h"
#include "Settings.h"
#include "TestConnection.h"

#include "ft/MsgWriter.h"
#include "ft/Parameters.h"
#include "ft/ShareEntry.h"
#include "rdr/MemInStream.h"
#include "rdr/tests/ScriptedInStream.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

using testing_support::ReceiverPump;
using testing_support::RecordingHandler;
using testing_support::ScriptedInStream;
using testing_support::TestConnection;
typedef std::vector<uint8_t> Bytes;
typedef std::vector<std::string> Calls;

namespace {

Bytes u32(uint32_t v) {
  return Bytes({(uint8_t)(v >> 24), (uint8_t)(v >> 16), (uint8_t)(v >> 8), (uint8_t)v});
}
Bytes u64(uint64_t v) {
  Bytes b = u32((uint32_t)(v >> 32));
  Bytes lo = u32((uint32_t)v);
  b.insert(b.end(), lo.begin(), lo.end());
  return b;
}
Bytes str(const std::string& s) {
  Bytes b = u32((uint32_t)s.size());
  b.insert(b.end(), s.begin(), s.end());
  return b;
}
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}
// One message in a single last frame.
Bytes msg(const Bytes& body) {
  return cat({{(uint8_t)(0x80 | body.size() >> 8), (uint8_t)body.size()}, body});
}
Bytes entry(const std::string& name, uint64_t size) {
  return cat({str(name), u64(size), u64(1), u64(2), u64(3), u32(0), u32(0)});
}

// Feeds bytes to a reader in the given cuts, pumping after each, and
// returns the calls; a protocol error is recorded as the last call.
Calls readCut(const Bytes& wire, const std::vector<size_t>& cuts, int bufferSize = 0) {
  ScriptedInStream sock(bufferSize);
  RecordingHandler handler;
  ft::MsgReader reader(nullptr, &handler);
  ReceiverPump pump(&sock, &reader);
  sock.append(wire.data(), wire.size(), false);
  try {
    for (size_t cut : cuts) {
      sock.release(cut);
      pump.pump(&sock);
    }
    sock.releaseAll();
    pump.pump(&sock);
  } catch (plat::Exception& e) {
    handler.calls.push_back(std::string("error: ") + e.str());
  }
  EXPECT_EQ(0, handler.emptyPieces);
  return handler.calls;
}

Calls readWhole(const Bytes& wire) {
  return readCut(wire, {});
}

Calls readBytewise(const Bytes& wire) {
  return readCut(wire, std::vector<size_t>(wire.size(), 1));
}

} // namespace

TEST(MsgReader, EveryMessageWithAndWithoutItsOptionalFields) {
  Bytes wire = cat({
      msg(cat({u32(1), u32(7), {0}, u32(2)})),
      msg(cat({u32(1), u32(8), {1}})), // no flags
      msg(cat({u32(1), u32(9), {5}, u32(0)})),
      msg(cat({u32(2), u32(7), str("dir"), u32(3)})),
      msg(cat({u32(2), u32(7)})),             // the whole share
      msg(cat({u32(2), u32(7), str("dir")})), // all of dir
      msg(cat({u32(3), u32(7), u32(2), entry("a", 10), entry("a/b", 20)})),
      msg(cat({u32(3), u32(7), u32(0)})),
      msg(cat({u32(4), str("a/b"), u32(7), u32(1), u64(100), u64(5), u64(50), {1}})),
      msg(cat({u32(4), str("a/b"), u32(7), u32(2), u64(100)})), // whole file, plain
      msg(cat({u32(4), str("a/b"), u32(7), u32(3), u64(100), u64(5)})),
      msg(cat({u32(5), u32(7), u32(1), u64(0x123456789ull)})),
      msg(cat({u32(6), u32(7), u32(1), {0, 3}, {'x', 'y', 'z'}})),
      msg(cat({u32(6), u32(7), u32(1), {0, 0}})),
      msg(cat({u32(7), u32(7), u32(1), str("disk full")})),
      msg(cat({u32(8), u32(7), u32(1)})),
      msg(cat({u32(9), u32(7)})),
  });
  const Calls expected = {
      "shareCtrl 7 0 2",
      "shareCtrl 8 1 0",
      "shareCtrl 9 5 0",
      "reqShare 7 'dir' 3",
      "reqShare 7 '' 0",
      "reqShare 7 'dir' 0",
      "shareEntry 7 'a' 0 10 1 2 3",
      "shareEntry 7 'a/b' 0 20 1 2 3",
      "shareDataEOF 7",
      "reqFile 'a/b' 7/1 100 5 50 1",
      "reqFile 'a/b' 7/2 100 0 18446744073709551615 0",
      "reqFile 'a/b' 7/3 100 5 18446744073709551615 0",
      "updateByteLimit 7/1 4886718345",
      "fileData 7/1 xyz",
      "fileEOF 7/1",
      "fileError 7/1 'disk full'",
      "abortFile 7/1",
      "releaseShare 7",
  };
  EXPECT_EQ(expected, readWhole(wire));
  EXPECT_EQ(expected, readBytewise(wire));
}

TEST(MsgReader, SameCallsHoweverTheBytesArrive) {
  // What the writer makes, plus messages cut into odd frames by hand.
  TestConnection conn;
  ft::MsgWriter writer(&conn);
  testing_support::Setting<plat::IntParameter, int> bias(ft::fileTransferBias, 95);
  writer.writeShareCtrl(3, 0, 1);
  std::vector<std::unique_ptr<ft::ShareEntry>> owned;
  for (int i = 0; i < 30; i++) {
    owned.emplace_back(new ft::ShareEntry(("dir/file" + std::to_string(i)).c_str(),
                                          i % 3 ? 0 : ft::ShareEntry::Directory, i * 1000,
                                          i, i, i));
    owned.back()->attributes.push_back(ft::FileAttributes::makeWin32(0x20));
  }
  size_t sent = 0;
  while (sent < owned.size()) {
    std::vector<ft::ShareEntry*> rest;
    for (size_t i = sent; i < owned.size(); i++)
      rest.push_back(owned[i].get());
    struct Enum : ft::MsgWriter::ShareEnum {
      std::vector<ft::ShareEntry*>* v;
      size_t at = 0;
      ft::ShareEntry* current() override { return at < v->size() ? (*v)[at] : nullptr; }
      void next() override { at++; }
    } e;
    e.v = &rest;
    conn.setSpace(800);
    sent += writer.writeShareData(3, e);
  }
  writer.writeShareDataEOF(3);
  conn.setSpace(100000);
  Bytes fileBytes(50000);
  for (size_t i = 0; i < fileBytes.size(); i++)
    fileBytes[i] = (uint8_t)('a' + i % 26 + i / 4000);
  rdr::MemInStream plain(fileBytes.data(), (int)fileBytes.size());
  while (plain.avail() > 25000)
    writer.writeFileData(ft::FileId(3, 1), plain, 65535, false);
  while (plain.avail() > 0)
    writer.writeFileData(ft::FileId(3, 1), plain, 65535, true);
  writer.writeFileEOF(ft::FileId(3, 1));
  writer.writeFileError(ft::FileId(3, 2), "gone");
  Bytes wire = conn.bytes();
  Bytes split = {0x00, 0x00, 0x00, 0x05, 0, 0, 0, 9, 0, 0x00, 0x00, 0x80, 0x03, 0, 0, 4};
  wire.insert(wire.end(), split.begin(), split.end()); // ReleaseShare in three frames

  Calls whole = readWhole(wire);
  ASSERT_EQ(1u + 30 + 1 + 2 + 1 + 1, whole.size());
  EXPECT_EQ("shareEntry 3 'dir/file29' 0 29000 29 29 29 [WIN32:4]", whole[30]);
  EXPECT_EQ("fileData 3/1 " + std::string(fileBytes.begin(), fileBytes.end()), whole[32]);
  EXPECT_EQ("releaseShare 4", whole.back());

  EXPECT_EQ(whole, readBytewise(wire));
  std::mt19937 rng(99);
  for (int round = 0; round < 20; round++) {
    std::vector<size_t> cuts;
    for (size_t at = 0; at < wire.size();) {
      size_t cut = rng() % 4 == 0 ? 0 : 1 + rng() % 3000;
      cuts.push_back(cut);
      at += cut;
    }
    EXPECT_EQ(whole, readCut(wire, cuts)) << "round " << round;
  }
}

TEST(MsgReader, FileDataReachesTheHandlerInPieces) {
  Bytes data(3000, 'd');
  Bytes body = cat({u32(6), u32(1), u32(1), {0x0B, 0xB8}, data});
  // Three frames; the reader sees the bytes as they come.
  Bytes wire = cat({{0x00, 100}, Bytes(body.begin(), body.begin() + 100), {0x00, 0x00},
                    {0x8B, 0x62}, Bytes(body.begin() + 100, body.end())});
  ScriptedInStream sock;
  RecordingHandler handler;
  ft::MsgReader reader(nullptr, &handler);
  ReceiverPump pump(&sock, &reader);
  sock.append(wire.data(), wire.size(), false);
  while (sock.unreleased()) {
    sock.release(700);
    pump.pump(&sock);
  }
  ASSERT_EQ(1u, handler.calls.size());
  EXPECT_EQ("fileData 1/1 " + std::string(3000, 'd'), handler.calls[0]);
  EXPECT_GE(handler.pieces, 4);
}

TEST(MsgReader, ProtocolErrorsAreCleanErrors) {
  EXPECT_EQ(Calls({"error: Unexpected PDU type: 11"}), readWhole(msg(u32(11))));
  EXPECT_EQ(Calls({"error: Unexpected PDU type: 0"}), readBytewise(msg(u32(0))));
  // Strings over 1024 bytes, whatever carries them.
  Bytes longName = cat({u32(2), u32(7), u32(1025), Bytes(1025, 'n'), u32(0)});
  EXPECT_EQ(Calls({"error: String exceeds maximum length"}), readWhole(msg(longName)));
  Bytes hugeCount = cat({u32(7), u32(1), u32(1), u32(0xFFFFFFFF)});
  EXPECT_EQ(Calls({"error: String exceeds maximum length"}), readWhole(msg(hugeCount)));
  // A bad name ends the listing and the connection; entries before it stand.
  Bytes badName = cat({u32(3), u32(7), u32(3), entry("ok", 1), entry("a/../b", 2), entry("c", 3)});
  EXPECT_EQ(Calls({"shareEntry 7 'ok' 0 1 1 2 3", "error: Filename cannot be . or .."}),
            readWhole(msg(badName)));
  // An attribute block too big to hold.
  Bytes bigBlock = cat({u32(3), u32(7), u32(1), str("f"), u64(0), u64(0), u64(0), u64(0), u32(0),
                        u32(1), {1, 'X'}, u32(0x10000001)});
  Calls calls = readWhole(msg(bigBlock));
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(0u, calls[0].find("error: Attribute block of"));
  // Not deflate data at all.
  Bytes corrupt = cat({u32(10), u32(7), u32(1), {0, 4}, {0xDE, 0xAD, 0xBE, 0xEF}});
  EXPECT_EQ(Calls({"error: ft::MsgReader: inflate failed: -3"}), readWhole(msg(corrupt)));
  Bytes empty = cat({u32(10), u32(7), u32(1), {0, 0}});
  calls = readBytewise(msg(empty));
  ASSERT_EQ(1u, calls.size());
  EXPECT_NE(std::string::npos, calls[0].find("dataLenPending != 0"));
  // Fixed fields missing, or data shorter than announced.
  EXPECT_EQ(Calls({"error: End of message"}), readWhole(msg(cat({u32(9), {0, 0}}))));
  Bytes shortData = cat({u32(6), u32(7), u32(1), {0, 9}, {'a', 'b'}});
  EXPECT_EQ(Calls({"fileData 7/1 ab", "error: End of message"}), readWhole(msg(shortData)));
}

TEST(MsgReader, ShortListingKeepsWhatArrivedAndGoesOn) {
  Bytes listing = cat({u32(3), u32(7), u32(3), entry("a", 1), entry("b", 2)});
  Bytes wire = cat({msg(listing), msg(cat({u32(9), u32(7)}))});
  const Calls expected = {"shareEntry 7 'a' 0 1 1 2 3", "shareEntry 7 'b' 0 2 1 2 3",
                          "releaseShare 7"};
  EXPECT_EQ(expected, readWhole(wire));
  EXPECT_EQ(expected, readBytewise(wire));
}

TEST(MsgReader, TwoFilesShareOneDeflateStream) {
  TestConnection conn;
  ft::MsgWriter writer(&conn);
  testing_support::Setting<plat::IntParameter, int> bias(ft::fileTransferBias, 25);
  conn.setSpace(4000);
  std::string a, b;
  for (int i = 0; i < 2000; i++)
    a += "line " + std::to_string(i) + " of the first file\n";
  for (int i = 0; i < 1500; i++)
    b += "row " + std::to_string(i * 7) + ", the second; " + a.substr(i % 100, 20) + "\n";
  rdr::MemInStream inA(a.data(), (int)a.size());
  while (inA.avail() > 0)
    ASSERT_GT(writer.writeFileData(ft::FileId(1, 1), inA, 65535, true), 0);
  writer.writeFileEOF(ft::FileId(1, 1));
  rdr::MemInStream inB(b.data(), (int)b.size());
  while (inB.avail() > 0)
    ASSERT_GT(writer.writeFileData(ft::FileId(1, 2), inB, 5000, true), 0);
  writer.writeFileEOF(ft::FileId(1, 2));
  Bytes wire = conn.bytes();
  EXPECT_LT(wire.size(), (a.size() + b.size()) / 3);

  const Calls expected = {"fileData 1/1 " + a, "fileEOF 1/1", "fileData 1/2 " + b, "fileEOF 1/2"};
  EXPECT_EQ(expected, readWhole(wire));
  EXPECT_EQ(expected, readCut(wire, std::vector<size_t>(wire.size() / 7 + 1, 7)));
}

TEST(MsgReader, CompressedMessageWithOnlyAFlushMarkerIsNotTheEndOfTheFile) {
  // A message whose inflated output is empty: an empty stored block, as a
  // sync flush with no input makes.
  TestConnection conn;
  ft::MsgWriter writer(&conn);
  rdr::MemInStream data("abcabcabc", 9);
  writer.writeFileData(ft::FileId(2, 5), data, 65535, true);
  Bytes wire = conn.bytes();
  Bytes marker = cat({u32(10), u32(2), u32(5), {0, 5}, {0x00, 0x00, 0x00, 0xFF, 0xFF}});
  Bytes more = msg(marker);
  wire.insert(wire.end(), more.begin(), more.end());
  Bytes eof = msg(cat({u32(6), u32(2), u32(5), {0, 0}}));
  wire.insert(wire.end(), eof.begin(), eof.end());

  EXPECT_EQ(Calls({"fileData 2/5 abcabcabc", "fileEOF 2/5"}), readWhole(wire));
}

TEST(MsgReader, ResetInflateStartsAFreshStream) {
  TestConnection conn;
  ft::MsgWriter writer(&conn);
  RecordingHandler handler;
  ft::MsgReader reader(nullptr, &handler);
  for (int round = 0; round < 2; round++) {
    conn.clear();
    rdr::MemInStream data("hello hello", 11);
    writer.writeFileData(ft::FileId(1, 1), data, 65535, true);
    Bytes wire = conn.bytes();
    ScriptedInStream sock;
    ReceiverPump pump(&sock, &reader);
    sock.append(wire.data(), wire.size());
    pump.pump(&sock);
    writer.resetDeflate();
    reader.resetInflate();
  }
  EXPECT_EQ(Calls({"fileData 1/1 hello hellohello hello"}), handler.calls);
}
