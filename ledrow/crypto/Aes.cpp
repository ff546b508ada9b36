#include "ledrow/crypto/Aes.h"

#include "plat/Assert.h"
#include "plat/WipedString.h"

#include <array>
#include <cstring>

namespace crypto {

namespace {

constexpr uint8_t rotl8(uint8_t x, int n) { return (uint8_t)(x << n | x >> (8 - n)); }

// The S-box from its definition: the multiplicative inverse in GF(2^8)
// followed by the affine map. p walks the powers of the generator 3 and q
// the matching powers of its inverse, so q is the inverse of p.
constexpr std::array<uint8_t, 256> makeSbox() {
  std::array<uint8_t, 256> box{};
  uint8_t p = 1, q = 1;
  do {
    p = (uint8_t)(p ^ (uint8_t)(p << 1) ^ ((p & 0x80) ? 0x1b : 0));
    q = (uint8_t)(q ^ (q << 1));
    q = (uint8_t)(q ^ (q << 2));
    q = (uint8_t)(q ^ (q << 4));
    if (q & 0x80)
      q ^= 0x09;
    box[p] = (uint8_t)(q ^ rotl8(q, 1) ^ rotl8(q, 2) ^ rotl8(q, 3) ^ rotl8(q, 4) ^ 0x63);
  } while (p != 1);
  box[0] = 0x63; // zero has no inverse and maps to the affine constant
  return box;
}

constexpr std::array<uint8_t, 256> sbox = makeSbox();

inline uint8_t xtime(uint8_t x) { return (uint8_t)(x << 1 ^ ((x & 0x80) ? 0x1b : 0)); }

void subShiftRows(uint8_t* s) {
  // The state is column-major: byte r + 4c is row r, column c; row r moves
  // left by r columns.
  uint8_t t[16];
  for (int c = 0; c < 4; c++)
    for (int r = 0; r < 4; r++)
      t[r + 4 * c] = sbox[s[r + 4 * ((c + r) & 3)]];
  memcpy(s, t, 16);
}

void mixColumns(uint8_t* s) {
  for (int c = 0; c < 4; c++) {
    uint8_t* col = s + 4 * c;
    uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
    uint8_t all = a0 ^ a1 ^ a2 ^ a3;
    col[0] = a0 ^ all ^ xtime(a0 ^ a1);
    col[1] = a1 ^ all ^ xtime(a1 ^ a2);
    col[2] = a2 ^ all ^ xtime(a2 ^ a3);
    col[3] = a3 ^ all ^ xtime(a3 ^ a0);
  }
}

void addRoundKey(uint8_t* s, const uint8_t* k) {
  for (int i = 0; i < 16; i++)
    s[i] ^= k[i];
}

} // namespace

void Aes::setKey(const uint8_t* key, int keyLength) {
  if (keyLength >= 128)
    keyLength /= 8;
  PLAT_ASSERT(keyLength == 16 || keyLength == 24 || keyLength == 32);
  int nk = keyLength / 4;
  rounds = nk + 6;
  int words = 4 * (rounds + 1);
  memcpy(roundKeys, key, keyLength);
  uint8_t rcon = 1;
  for (int i = nk; i < words; i++) {
    uint8_t t[4];
    memcpy(t, roundKeys + 4 * (i - 1), 4);
    if (i % nk == 0) {
      uint8_t first = t[0];
      t[0] = sbox[t[1]] ^ rcon;
      t[1] = sbox[t[2]];
      t[2] = sbox[t[3]];
      t[3] = sbox[first];
      rcon = xtime(rcon);
    } else if (nk > 6 && i % nk == 4) {
      for (int j = 0; j < 4; j++)
        t[j] = sbox[t[j]];
    }
    for (int j = 0; j < 4; j++)
      roundKeys[4 * i + j] = roundKeys[4 * (i - nk) + j] ^ t[j];
  }
}

void Aes::encryptBlock(const uint8_t* in, uint8_t* out) const {
  uint8_t s[16];
  memcpy(s, in, 16);
  addRoundKey(s, roundKeys);
  for (int round = 1; round < rounds; round++) {
    subShiftRows(s);
    mixColumns(s);
    addRoundKey(s, roundKeys + 16 * round);
  }
  subShiftRows(s);
  addRoundKey(s, roundKeys + 16 * rounds);
  memcpy(out, s, 16);
  plat::secureZero(s, sizeof(s));
}

void Aes::wipe() {
  plat::secureZero(this, sizeof(*this));
}

} // namespace crypto
