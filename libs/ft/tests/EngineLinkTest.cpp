// Two engines joined through memory pipes: one shares, the other lists and
// downloads, the way two ends of a connection do.
#include "Settings.h"
#include "TestConnection.h"

#include "ft/MsgWriter.h"
#include "ft/Parameters.h"
#include "ft/ShareProxy.h"
#include "testing/FtEngine.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using namespace testing_support;

namespace {

std::string randomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(n, '\0');
  for (char& c : s)
    c = (char)random();
  return s;
}

std::string text(size_t n) {
  std::string s;
  while (s.size() < n)
    s += "line " + std::to_string(s.size()) + " of some compressible text\n";
  s.resize(n);
  return s;
}

struct Contents {
  const char* name;
  std::string bytes;
  bool directory;
};

std::vector<Contents> sampleShare() {
  return {{"top", "", true},
          {"top/big", randomBytes(300000, 1), false},
          {"top/text", text(100000), false},
          {"top/sub", "", true},
          {"top/sub/small", "tiny", false},
          {"empty", "", false}};
}

std::vector<ft::FileProxy*> proxies(const std::vector<Contents>& contents) {
  std::vector<ft::FileProxy*> files;
  for (const Contents& c : contents)
    files.push_back(c.directory ? (ft::FileProxy*)new MemDir(c.name)
                                : new MemFile(c.name, c.bytes));
  return files;
}

struct TwoEngines : testing::Test {
  std::deque<MemSink> sinks;
  Engine a;
  Engine b;
  std::unique_ptr<MemLink> link{new MemLink(&a, &b)};

  MemSink& sink(uint64_t room) {
    sinks.emplace_back(room);
    return sinks.back();
  }
  // b's current share, with a reference the caller releases.
  ft::ShareProxy* listed() { return b.extension.getCurrentShare(); }
  // Lists a's share on b and fetches every file into sinks of the given
  // room; returns the share (one reference).
  ft::ShareProxy* fetchAll(const std::vector<Contents>& contents, uint64_t room,
                           std::vector<MemSink*>* fetched) {
    uint32_t id = a.share(proxies(contents));
    EXPECT_TRUE(link->runUntil([&] {
      ft::ShareProxy* s = listed();
      if (s)
        s->release();
      return s != nullptr;
    }));
    ft::ShareProxy* share = listed();
    if (!share)
      return nullptr;
    EXPECT_EQ(id, share->shareId());
    for (size_t i = 0; i < share->size(); i++) {
      if ((*share)[i]->flags & ft::ShareEntry::Directory) {
        fetched->push_back(nullptr);
        continue;
      }
      MemSink& s = sink(room);
      fetched->push_back(&s);
      b.fetch(id, (uint32_t)i, (*share)[i]->name.c_str(), &s);
    }
    return share;
  }
};

bool allClosed(const std::vector<MemSink*>& sinks) {
  for (MemSink* s : sinks)
    if (s && !s->closed())
      return false;
  return true;
}

// Low-water mark, compression asked for.
struct Transfers : TwoEngines, testing::WithParamInterface<std::tuple<int, bool>> {};

} // namespace

TEST_P(Transfers, EveryByteArrivesWithinItsWindows) {
  auto lwm = setting(ft::fileTransferLWM, std::get<0>(GetParam()));
  b.extension.compress = std::get<1>(GetParam());
  std::vector<Contents> contents = sampleShare();
  std::vector<MemSink*> fetched;
  ft::ShareProxy* share;
  {
    // A small budget: the listing needs several messages.
    auto bias = setting(ft::fileTransferBias, 1);
    share = fetchAll(contents, 8192, &fetched);
  }
  ASSERT_TRUE(share);
  ASSERT_EQ(contents.size(), share->size());
  for (size_t i = 0; i < contents.size(); i++)
    EXPECT_STREQ(contents[i].name, (*share)[i]->name.c_str());
  EXPECT_STREQ("multiple files (390.63 Kb in 4 files)", share->description());

  ASSERT_TRUE(link->runUntil([&] { return allClosed(fetched); }));
  for (size_t i = 0; i < contents.size(); i++) {
    if (!fetched[i])
      continue;
    EXPECT_EQ("", fetched[i]->closeMessage) << contents[i].name;
    EXPECT_TRUE(fetched[i]->received == contents[i].bytes) << contents[i].name;
    EXPECT_FALSE(fetched[i]->overran) << contents[i].name;
  }
  // The window of 8192 bytes had to be renewed many times.
  EXPECT_GT(fetched[1]->writes, 300000 / 8192);
  if (b.extension.compress)
    EXPECT_LT(link->aToB.moved, 300000u + 100000u / 2);
  else
    EXPECT_GT(link->aToB.moved, 400000u);
  share->release();
}

TEST_F(TwoEngines, LongDeflatedFilesInterleavedThroughOneInflateStream) {
  b.extension.compress = true;
  // Two files deflated at once, their messages taking turns through the
  // one stream; one file's window is smaller than a message's data.
  std::vector<Contents> contents = {{"one", text(900000), false},
                                    {"two", text(700000).substr(5), false}};
  uint32_t id = a.share(proxies(contents));
  ft::ShareProxy* share = nullptr;
  ASSERT_TRUE(link->runUntil([&] { return (share = listed()) != nullptr; }));
  MemSink& wide = sink(1 << 20);
  MemSink& narrow = sink(3000);
  b.fetch(id, 0, "one", &wide);
  b.fetch(id, 1, "two", &narrow);
  ASSERT_TRUE(link->runUntil([&] { return wide.closed() && narrow.closed(); }));
  EXPECT_TRUE(wide.received == contents[0].bytes);
  EXPECT_TRUE(narrow.received == contents[1].bytes);
  EXPECT_FALSE(narrow.overran);
  EXPECT_LT(link->aToB.moved, 1600000u / 4);
  share->release();
}

INSTANTIATE_TEST_SUITE_P(LowWaterMarkAndCompression, Transfers,
                         testing::Combine(testing::Values(-1, 4096), testing::Bool()));

TEST_F(TwoEngines, WithdrawalEndsTheDownloadsOfTheShare) {
  std::vector<MemSink*> fetched;
  ft::ShareProxy* share = fetchAll(sampleShare(), 4096, &fetched);
  ASSERT_TRUE(share);
  link->runUntil([&] { return fetched[1]->received.size() > 10000; });
  a.upload().withdrawShare(a.connection(), share->shareId());
  ASSERT_TRUE(link->runUntil([&] { return fetched[1]->closed(); }));
  EXPECT_EQ("Files withdrawn by source", fetched[1]->closeMessage);
  EXPECT_EQ(nullptr, listed());
  share->release();
  link->run();
  EXPECT_FALSE(a.upload().uploadsPending(a.connection()));
}

TEST_F(TwoEngines, ReleasedShareIsNoLongerServed) {
  std::vector<MemSink*> fetched;
  ft::ShareProxy* share = fetchAll({{"f", "abc", false}}, 4096, &fetched);
  ASSERT_TRUE(share);
  link->run();
  EXPECT_EQ("abc", fetched[0]->received);
  uint32_t id = share->shareId();
  b.download()->clearCurrentShare();
  share->release();
  link->run();
  // a forgot the share when b released it.
  MemSink& late = sink(4096);
  b.fetch(id, 0, "f", &late);
  link->run();
  EXPECT_EQ("File not shared: f", late.closeMessage);
}

TEST_F(TwoEngines, AbortInTheMiddleOfAFileStopsItsUpload) {
  std::vector<MemSink*> fetched;
  ft::ShareProxy* share = fetchAll({{"big", randomBytes(200000, 2), false}}, 8192, &fetched);
  ASSERT_TRUE(share);
  fetched[0]->cancelAfter = 50000;
  link->run();
  EXPECT_TRUE(fetched[0]->closed());
  EXPECT_EQ("", fetched[0]->closeMessage);
  EXPECT_LE(fetched[0]->received.size(), 50000u);
  EXPECT_FALSE(a.upload().uploadsPending(a.connection()));
  // Nothing more went out for it after the abort reached a.
  uint64_t moved = link->aToB.moved;
  link->run();
  EXPECT_EQ(moved, link->aToB.moved);
  share->release();
}

namespace {

// Raw messages, as a faulty peer might send them.
std::string framed(std::function<void(ft::MsgWriter&)> write) {
  TestConnection connection;
  ft::MsgWriter writer(&connection);
  write(writer);
  std::vector<uint8_t> bytes = connection.bytes();
  return std::string(bytes.begin(), bytes.end());
}

std::string unknownType() {
  // One frame, last, of 4 bytes: type 99.
  return std::string("\x80\x04\x00\x00\x00\x63", 6);
}

struct BadEntryEnum : ft::MsgWriter::ShareEnum {
  ft::ShareEntry entry{"../escape", 0, 1, 0, 0, 0};
  bool done = false;
  ft::ShareEntry* current() override { return done ? nullptr : &entry; }
  void next() override { done = true; }
};

struct ProtocolErrors : TwoEngines, testing::WithParamInterface<int> {};

} // namespace

TEST_P(ProtocolErrors, CloseThatConnectionOnlyAndServingGoesOn) {
  // b also serves a second peer, which misbehaves.
  Engine faulty;
  MemLink bad(&faulty, &b);
  std::string bytes;
  switch (GetParam()) {
  case 0:
    bytes = unknownType();
    break;
  case 1: {
    BadEntryEnum entries;
    bytes = framed([](ft::MsgWriter& w) { w.writeShareCtrl(3, 0, 2); });
    bytes += framed([&](ft::MsgWriter& w) { w.writeShareData(3, entries); });
    break;
  }
  case 2:
    // An end of listing for a share whose listing nobody asked for.
    bytes = framed([](ft::MsgWriter& w) { w.writeShareDataEOF(3); });
    break;
  case 3:
    // A second end of a listing.
    bytes = framed([](ft::MsgWriter& w) {
      w.writeShareCtrl(3, 0, 2);
      w.writeShareDataEOF(3);
      w.writeShareDataEOF(3);
    });
    break;
  }
  const char* expected[] = {"Unexpected PDU type: 99", "Filename cannot be . or ..",
                            "Bad sequence number in ready", "Unexpected end of listing"};
  bad.aToB.bytes = bytes;
  bad.b.receive();
  EXPECT_EQ(0u, bad.b.error.find(expected[GetParam()])) << bad.b.error;
  EXPECT_FALSE(bad.b.isOpen);
  EXPECT_EQ(1, b.manager.released);

  std::vector<MemSink*> fetched;
  ft::ShareProxy* share = fetchAll({{"f", "still served", false}}, 4096, &fetched);
  ASSERT_TRUE(share);
  link->run();
  EXPECT_EQ("still served", fetched[0]->received);
  share->release();
}

INSTANTIATE_TEST_SUITE_P(UnknownTypeBadNameBadOrSecondEndOfListing, ProtocolErrors,
                         testing::Values(0, 1, 2, 3));
