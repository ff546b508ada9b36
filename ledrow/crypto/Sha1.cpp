#include "ledrow/crypto/Sha1.h"

#include "plat/WipedString.h"

namespace crypto {

void Sha1::initState() {
  h_[0] = 0x67452301;
  h_[1] = 0xefcdab89;
  h_[2] = 0x98badcfe;
  h_[3] = 0x10325476;
  h_[4] = 0xc3d2e1f0;
}

void Sha1::compress(const uint8_t* block) {
  uint32_t w[80];
  for (int t = 0; t < 16; t++)
    w[t] = loadBE32(block + 4 * t);
  for (int t = 16; t < 80; t++)
    w[t] = rotl32(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

  uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4];
  for (int t = 0; t < 80; t++) {
    uint32_t f, k;
    if (t < 20) {
      f = (b & c) | (~b & d);
      k = 0x5a827999;
    } else if (t < 40) {
      f = b ^ c ^ d;
      k = 0x6ed9eba1;
    } else if (t < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8f1bbcdc;
    } else {
      f = b ^ c ^ d;
      k = 0xca62c1d6;
    }
    uint32_t temp = rotl32(a, 5) + f + e + k + w[t];
    e = d;
    d = c;
    c = rotl32(b, 30);
    b = a;
    a = temp;
  }
  h_[0] += a;
  h_[1] += b;
  h_[2] += c;
  h_[3] += d;
  h_[4] += e;
  plat::secureZero(w, sizeof(w));
}

void Sha1::writeDigest(uint8_t* digest) const {
  for (int i = 0; i < 5; i++)
    storeBE32(digest + 4 * i, h_[i]);
}

Sha1::~Sha1() {
  plat::secureZero(h_, sizeof(h_));
}

} // namespace crypto
