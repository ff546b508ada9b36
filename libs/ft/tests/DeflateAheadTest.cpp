#include "Settings.h"
#include "TestConnection.h"

#include "ft/DeflateAhead.h"
#include "ft/MsgWriter.h"
#include "rdr/MemInStream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string lines(size_t n, int seed) {
  std::string s;
  for (int i = 0; s.size() < n; i++)
    s += "entry " + std::to_string(i * seed % 7919) + " was copied\n";
  s.resize(n);
  return s;
}

// A segment inflates whole from an empty history, as the peer's stream does
// after anything.
std::string inflateRaw(const std::vector<uint8_t>& deflated) {
  z_stream inf = {};
  EXPECT_EQ(Z_OK, inflateInit2(&inf, -15));
  std::string out(1 << 20, '\0');
  inf.next_in = const_cast<uint8_t*>(deflated.data());
  inf.avail_in = (uInt)deflated.size();
  inf.next_out = (Bytef*)&out[0];
  inf.avail_out = (uInt)out.size();
  EXPECT_EQ(Z_OK, inflate(&inf, Z_SYNC_FLUSH));
  out.resize(out.size() - inf.avail_out);
  inflateEnd(&inf);
  return out;
}

TEST(DeflatePool, SegmentsDoneByWorkersOrTheCallerAndCancelledOnesLeftAlone) {
  std::vector<std::string> inputs;
  std::vector<std::shared_ptr<ft::DeflateSegment>> segments;
  for (int i = 0; i < 40; i++) {
    inputs.push_back(lines(1000 + i * 997, i + 1));
    segments.push_back(std::make_shared<ft::DeflateSegment>(
        (const uint8_t*)inputs.back().data(), (int)inputs.back().size()));
  }
  {
    ft::DeflatePool pool(3);
    pool.submit(segments);
    pool.cancel(*segments[39]);
    // The caller takes what no worker has begun, and waits for the rest.
    for (int i = 38; i >= 0; i--) {
      pool.finish(*segments[i]);
      ASSERT_EQ(ft::DeflateSegment::Done, segments[i]->state);
      EXPECT_TRUE(inflateRaw(segments[i]->deflated) == inputs[i]) << i;
    }
    pool.submit({std::make_shared<ft::DeflateSegment>((const uint8_t*)"abc", 3)});
  } // the pool goes with a segment perhaps still queued
  EXPECT_EQ(ft::DeflateSegment::Cancelled, segments[39]->state);
}

TEST(DeflateAhead, FeedsWithinItsAllowanceAndKeepsWhatIsNotSent) {
  std::string text = lines(600000, 3);
  rdr::MemInStream source(text.data(), (int)text.size());
  ft::DeflateAhead ahead(std::make_shared<ft::DeflatePool>(2));
  ahead.allow(50000);
  ahead.feed(source, 20000);
  // Until a ratio is known, one segment only.
  ASSERT_EQ(1u, ahead.size());
  EXPECT_EQ(ft::DeflateSegment::Done, ahead.finish(0).state);
  EXPECT_LT(ahead.ratio(), 0.5);
  ahead.feed(source, 20000);
  ASSERT_EQ(3u, ahead.size());
  EXPECT_EQ(10000u, ahead.at(2).raw.size());
  // A part sent otherwise: the rest is deflated anew.
  ahead.consumeFront(1500);
  EXPECT_TRUE(std::string(ahead.at(0).raw.begin(), ahead.at(0).raw.end()) ==
              text.substr(1500, 18500));
  EXPECT_TRUE(inflateRaw(ahead.finish(0).deflated) == text.substr(1500, 18500));
  ahead.pop(3);
  ahead.allow(~(uint64_t)0);
  ahead.feed(source, 20000);
  EXPECT_EQ((size_t)ft::DeflateAhead::MaxAhead / 20000 + 1, ahead.size());
  // At the source's end it stops quietly.
  source.skip(source.avail());
  ahead.pop(ahead.size());
  ahead.feed(source, 20000);
  EXPECT_TRUE(ahead.empty());
}

TEST(DeflateAhead, OnlyTheFirstMessageAfterAResetOpensTheStream) {
  testing_support::TestConnection conn;
  ft::MsgWriter writer(&conn);
  std::string text = lines(300000, 5);
  rdr::MemInStream source(text.data(), (int)text.size());
  ft::DeflateAhead ahead(std::make_shared<ft::DeflatePool>(2));
  ahead.allow(text.size());
  std::vector<int> headers;
  for (int message = 0; message < 4; message++) {
    if (message == 2)
      writer.resetDeflate();
    conn.clear();
    ASSERT_GT(writer.writeFileData(ft::FileId(1, 1), source, 65535, true, &ahead), 0);
    std::vector<uint8_t> wire = conn.bytes();
    headers.push_back(wire[16] == 0x78 && wire[17] == 0x01);
  }
  EXPECT_EQ((std::vector<int>{1, 0, 1, 0}), headers);
}

} // namespace
