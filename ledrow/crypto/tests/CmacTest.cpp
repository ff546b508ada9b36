#include "Hex.h"

#include "ledrow/crypto/Cmac.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string key = "2b7e151628aed2a6abf7158809cf4f3c";
const std::string message = "6bc1bee22e409f96e93d7e117393172a"
                            "ae2d8a571e03ac9c9eb76fac45af8e51"
                            "30c81c46a35ce411e5fbc1191a0a52ef"
                            "f69f2445df4f9b17ad2b417be66c3710";

std::string macOf(size_t length, size_t chunk) {
  std::vector<uint8_t> k = fromHex(key), m = fromHex(message);
  crypto::CmacKey cmacKey;
  cmacKey.setKey(k.data(), 16);
  crypto::Cmac mac;
  mac.start();
  for (size_t at = 0; at < length; at += chunk)
    mac.update(cmacKey, m.data() + at, std::min(chunk, length - at));
  uint8_t out[16];
  mac.final(cmacKey, out);
  return toHex(out, sizeof(out));
}

} // namespace

TEST(Cmac, Rfc4493Subkeys) {
  std::vector<uint8_t> k = fromHex(key);
  crypto::CmacKey cmacKey;
  cmacKey.setKey(k.data(), 16);
  EXPECT_EQ(toHex(cmacKey.k1, 16), "fbeed618357133667c85e08f7236a8de");
  EXPECT_EQ(toHex(cmacKey.k2, 16), "f7ddac306ae266ccf90bc11ee46d513b");
}

// The four examples: empty, one whole block, a partial last block, and
// several whole blocks; each fed at once and in pieces that straddle the
// block boundaries.
TEST(Cmac, Rfc4493Examples) {
  struct Case {
    size_t length;
    const char* mac;
  } cases[] = {
      {0, "bb1d6929e95937287fa37d129b756746"},
      {16, "070a16b46b4d4144f79bdd9dd04a287c"},
      {40, "dfa66747de9ae63030ca32611497c827"},
      {64, "51f0bebf7e3b9d92fc49741779363cfe"},
  };
  for (const Case& c : cases)
    for (size_t chunk : {64, 16, 7, 1})
      EXPECT_EQ(macOf(c.length, chunk), c.mac) << c.length << " in pieces of " << chunk;
}
