#include "Hex.h"

#include "ledrow/crypto/Sha.h"

#include <gtest/gtest.h>

#include <cstring>

using crypto::Sha;

namespace {

std::string digestOf(int bits, const std::string& message) {
  Sha sha(bits);
  sha.update(message.data(), message.size());
  std::vector<uint8_t> digest;
  sha.final(digest);
  return toHex(digest);
}

const std::string abc = "abc";
const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

std::string millionA() {
  return std::string(1000000, 'a');
}

} // namespace

// FIPS 180 examples, plus the empty message. 448 bits (56 bytes) leave no
// room for the length in the last block; a million bytes end exactly on a
// block boundary.
TEST(Sha, Sha1Vectors) {
  EXPECT_EQ(digestOf(160, ""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(digestOf(160, abc), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(digestOf(160, twoBlocks), "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(digestOf(160, millionA()), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha, Sha224Vectors) {
  EXPECT_EQ(digestOf(224, ""), "d14a028c2a3a2bc9476102bb288234c415a2b01f828ea62ac5b3e42f");
  EXPECT_EQ(digestOf(224, abc), "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7");
  EXPECT_EQ(digestOf(224, twoBlocks), "75388b16512776cc5dba5da1fd890150b0c6455cb4f58b1952522525");
  EXPECT_EQ(digestOf(224, millionA()), "20794655980c91d8bbb4c1ea97618a4bf03f42581948b2ee4ee7ad67");
}

TEST(Sha, Sha256Vectors) {
  EXPECT_EQ(digestOf(256, ""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(digestOf(256, abc), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(digestOf(256, twoBlocks),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(digestOf(256, millionA()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Lengths around the padding boundaries, fed whole, byte by byte and split
// at every point: the buffering must not change the digest.
TEST(Sha, IncrementalMatchesOneShotAcrossBlockBoundaries) {
  for (int bits : {160, 224, 256}) {
    std::vector<std::string> seen;
    for (size_t length : {55, 56, 63, 64, 65, 119, 120, 128}) {
      std::string message;
      for (size_t i = 0; i < length; i++)
        message += (char)('A' + i * 7 % 53);
      std::string expected = digestOf(bits, message);
      for (const std::string& other : seen)
        EXPECT_NE(expected, other) << bits << " " << length;
      seen.push_back(expected);

      Sha sha(bits);
      std::vector<uint8_t> digest;
      for (char c : message)
        sha.update(&c, 1);
      sha.final(digest);
      EXPECT_EQ(toHex(digest), expected) << bits << " bytewise " << length;

      for (size_t split = 0; split <= length; split++) {
        sha.update(message.data(), split);
        sha.update(message.data() + split, length - split);
        sha.final(digest);
        ASSERT_EQ(toHex(digest), expected) << bits << " split " << split << " of " << length;
      }
    }
  }
}

TEST(Sha, FinalResizesTheBufferAndStartsAgain) {
  Sha sha(160);
  std::vector<uint8_t> digest(64, 0xff);
  sha.update("abc", 3);
  sha.final(digest);
  EXPECT_EQ(digest.size(), 20u);
  EXPECT_EQ(toHex(digest), "a9993e364706816aba3e25717850c26c9cd0d89d");

  // Nothing of the previous message may leak into the next digest.
  sha.update("abc", 3);
  sha.final(digest);
  EXPECT_EQ(toHex(digest), "a9993e364706816aba3e25717850c26c9cd0d89d");

  Sha sha224(224);
  sha224.final(digest);
  EXPECT_EQ(digest.size(), 28u);
}

TEST(Sha, ResetDropsPartialInput) {
  Sha sha(256);
  sha.update("partial input that must vanish", 30);
  sha.reset();
  sha.update("abc", 3);
  std::vector<uint8_t> digest;
  sha.final(digest);
  EXPECT_EQ(toHex(digest), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// An empty piece, as an empty salt or value gives, may come without a buffer.
TEST(Sha, EmptyUpdatesWithoutBufferChangeNothing) {
  Sha sha(160);
  sha.update(nullptr, 0);
  sha.update("a", 1);
  sha.update(nullptr, 0);
  sha.update("bc", 2);
  std::vector<uint8_t> digest;
  sha.final(digest);
  EXPECT_EQ(toHex(digest), "a9993e364706816aba3e25717850c26c9cd0d89d");
}
