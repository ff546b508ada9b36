#include "rdr/RandomSource.h"
#include "rdr/RandomStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

std::string salt() {
  rdr::RandomStream random;
  uint8_t buffer[8];
  const uint8_t* bytes = random.readBytes(buffer, 8);
  return std::string((const char*)bytes, 8);
}

} // namespace

// Each protected string reads its salt from a new stream: no two may repeat.
TEST(RandomStream, FreshStreamsGiveDifferentSalts) {
  std::set<std::string> salts;
  for (int i = 0; i < 200; i++)
    EXPECT_TRUE(salts.insert(salt()).second);
}

TEST(RandomStream, KeepsDeliveringAcrossCheckpoints) {
  rdr::RandomStream random;
  std::set<uint64_t> seen;
  for (int i = 0; i < 200; i++) {
    random.checkpoint();
    EXPECT_TRUE(seen.insert(random.readU64()).second);
  }
}

// A coarse check that the bytes come from a real generator: over 64 KiB
// every byte value turns up and a second fill differs from the first.
TEST(RandomSource, FillsWithEveryByteValue) {
  rdr::RandomSource source;
  std::vector<uint8_t> a(65536), b(65536);
  source.fill(a.data(), (int)a.size());
  source.fill(b.data(), (int)b.size());
  EXPECT_NE(a, b);
  std::set<uint8_t> values(a.begin(), a.end());
  EXPECT_EQ(values.size(), 256u);
}
