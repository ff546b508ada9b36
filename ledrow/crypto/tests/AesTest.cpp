#include "Hex.h"

#include "ledrow/crypto/Aes.h"

#include <gtest/gtest.h>

namespace {

std::string encrypt(const std::string& key, const std::string& plain, int keyLength) {
  std::vector<uint8_t> k = fromHex(key), in = fromHex(plain);
  uint8_t out[16];
  crypto::Aes aes;
  aes.setKey(k.data(), keyLength);
  aes.encryptBlock(in.data(), out);
  return toHex(out, sizeof(out));
}

} // namespace

// FIPS 197 appendix B (the worked cipher example) and appendix C (one
// example per key size).
TEST(Aes, Fips197Vectors) {
  EXPECT_EQ(encrypt("2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734", 16),
            "3925841d02dc09fbdc118597196a0b32");
  const std::string plain = "00112233445566778899aabbccddeeff";
  EXPECT_EQ(encrypt("000102030405060708090a0b0c0d0e0f", plain, 16),
            "69c4e0d86a7b0430d8cdb78070b4c55a");
  EXPECT_EQ(encrypt("000102030405060708090a0b0c0d0e0f1011121314151617", plain, 24),
            "dda97ca4864cdfe06eaf70a0ec0d7191");
  EXPECT_EQ(encrypt("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", plain,
                    32),
            "8ea2b7ca516745bfeafc49904b496089");
}

TEST(Aes, KeyLengthInBitsSelectsTheSameCipher) {
  const std::string plain = "00112233445566778899aabbccddeeff";
  EXPECT_EQ(encrypt("000102030405060708090a0b0c0d0e0f", plain, 128),
            "69c4e0d86a7b0430d8cdb78070b4c55a");
  EXPECT_EQ(encrypt("000102030405060708090a0b0c0d0e0f1011121314151617", plain, 192),
            "dda97ca4864cdfe06eaf70a0ec0d7191");
  EXPECT_EQ(encrypt("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", plain,
                    256),
            "8ea2b7ca516745bfeafc49904b496089");
}

TEST(Aes, EncryptsInPlace) {
  std::vector<uint8_t> key = fromHex("000102030405060708090a0b0c0d0e0f");
  std::vector<uint8_t> block = fromHex("00112233445566778899aabbccddeeff");
  crypto::Aes aes;
  aes.setKey(key.data(), 16);
  aes.encryptBlock(block.data(), block.data());
  EXPECT_EQ(toHex(block), "69c4e0d86a7b0430d8cdb78070b4c55a");
}
