#include "Hex.h"

#include "ledrow/crypto/Eax.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

using namespace crypto;

namespace {

struct Vector {
  const char* message;
  const char* key;
  const char* nonce;
  const char* header;
  const char* cipher; // ciphertext followed by the 16-byte tag
};

// The AES-128 test vectors published with the EAX mode.
const Vector vectors[] = {
    {"", "233952DEE4D5ED5F9B9C6D6FF80FF478", "62EC67F9C3A4A407FCB2A8C49031A8B3",
     "6BFB914FD07EAE6B", "E037830E8389F27B025A2D6527E79D01"},
    {"F7FB", "91945D3F4DCBEE0BF45EF52255F095A4", "BECAF043B0A23D843194BA972C66DEBD",
     "FA3BFD4806EB53FA", "19DD5C4C9331049D0BDAB0277408F67967E5"},
    {"1A47CB4933", "01F74AD64077F2E704C0F60ADA3DD523", "70C3DB4F0D26368400A10ED05D2BFF5E",
     "234A3463C1264AC6", "D851D5BAE03A59F238A23E39199DC9266626C40F80"},
    {"481C9E39B1", "D07CF6CBB7F313BDDE66B727AFD3C5E8", "8408DFFF3C1A2B1292DC199E46B7D617",
     "33CCE2EABFF5A79D", "632A9D131AD4C168A4225D8E1FF755939974A7BEDE"},
    {"40D0C07DA5E4", "35B6D0580005BBC12B0587124557D2C2", "FDB6B06676EEDC5C61D74276E1F8E816",
     "AEB96EAEBE2970E9", "071DFE16C675CB0677E536F73AFE6A14B74EE49844DD"},
    {"4DE3B35C3FC039245BD1FB7D", "BD8E6E11475E60B268784C38C62FEB22",
     "6EAC5C93072D8E8513F750935E46DA1B", "D4482D1CA78DCE0F",
     "835BB4F15D743E350E728414ABB8644FD6CCB86947C5E10590210A4F"},
    {"8B0A79306C9CE7ED99DAE4F87F8DD61636", "7C77D6E813BED5AC98BAA417477A2E7D",
     "1A8C98DCD73D38393B2BF1569DEEFC19", "65D2017990D62528",
     "02083E3979DA014812F59F11D52630DA30137327D10649B0AA6E1C181DB617D7F2"},
    {"1BDA122BCE8A8DBAF1877D962B8592DD2D56", "5FFF20CAFAB119CA2FC73549E20F5B0D",
     "DDE59B97D722156D4D9AFF2BC7559826", "54B9F04E6A09189A",
     "2EC47B2C4954A489AFC7BA4897EDCDAE8CC33B60450599BD02C96382902AEF7F832A"},
    {"6CF36720872B8513F6EAB1A8A44438D5EF11", "A4A4782BCFFD3EC5E7EF6D8C34A56123",
     "B781FCF2F75FA5A8DE97A9CA48E522EC", "899A175897561D7E",
     "0DE18FD0FDD91E7AF19F1D8EE8733938B1E8E7F6D2231618102FDB7FE55FF1991700"},
    {"CA40D7446E545FFAED3BD12A740A659FFBBB3CEAB7", "8395FCF1E95BEBD697BD010BC766AAC3",
     "22E7ADD93CFC6393C57EC0B3C17D6B44", "126735FCC320D25A",
     "CB8920F87A6C75CFF39627B56E3ED197C552D295A7CFC46AFC253B4652B1AF3795B124AB6E"},
};

std::string lower(std::string text) {
  for (char& c : text)
    c = (char)tolower((unsigned char)c);
  return text;
}

} // namespace

TEST(Eax, PublishedVectorsEncrypt) {
  for (const Vector& v : vectors) {
    std::vector<uint8_t> key = fromHex(v.key), nonce = fromHex(v.nonce),
                         header = fromHex(v.header), message = fromHex(v.message);
    uint8_t tag[16];
    EaxContext ctx;
    eaxSetKey(key.data(), 16, &ctx);
    eaxEncrypt(nonce.data(), nonce.size(), header.data(), header.size(), message.data(),
               message.size(), tag, sizeof(tag), &ctx);
    eaxWipe(&ctx);
    EXPECT_EQ(toHex(message) + toHex(tag, sizeof(tag)), lower(v.cipher)) << v.message;
  }
}

TEST(Eax, PublishedVectorsDecrypt) {
  for (const Vector& v : vectors) {
    std::vector<uint8_t> key = fromHex(v.key), nonce = fromHex(v.nonce),
                         header = fromHex(v.header), data = fromHex(v.cipher);
    size_t length = data.size() - 16;
    EaxContext ctx;
    eaxSetKey(key.data(), 16, &ctx);
    EXPECT_EQ(eaxDecrypt(nonce.data(), nonce.size(), header.data(), header.size(), data.data(),
                         length, data.data() + length, 16, &ctx),
              0);
    eaxWipe(&ctx);
    EXPECT_EQ(toHex(data.data(), length), lower(v.message));
  }
}

// What the protected strings use: empty nonce and header, 16-byte tag.
TEST(Eax, EmptyNonceHeaderAndMessage) {
  std::vector<uint8_t> key = fromHex("000102030405060708090a0b0c0d0e0f");
  EaxContext ctx;
  eaxSetKey(key.data(), 16, &ctx);
  uint8_t tag[16] = {0};
  eaxEncrypt(nullptr, 0, nullptr, 0, nullptr, 0, tag, sizeof(tag), &ctx);
  EXPECT_NE(toHex(tag, 16), std::string(32, '0'));
  EXPECT_EQ(eaxDecrypt(nullptr, 0, nullptr, 0, nullptr, 0, tag, sizeof(tag), &ctx), 0);
  tag[15] ^= 1;
  EXPECT_NE(eaxDecrypt(nullptr, 0, nullptr, 0, nullptr, 0, tag, sizeof(tag), &ctx), 0);
}

TEST(Eax, KeySizesRoundTrip) {
  const std::string plain = "a password that spans more than two AES blocks of text";
  for (int keyLength : {16, 24, 32}) {
    std::vector<uint8_t> key(keyLength);
    for (int i = 0; i < keyLength; i++)
      key[i] = (uint8_t)(i * 29 + keyLength);
    std::vector<uint8_t> data(plain.begin(), plain.end());
    uint8_t tag[16];
    EaxContext ctx;
    eaxSetKey(key.data(), keyLength, &ctx);
    eaxEncrypt(nullptr, 0, nullptr, 0, data.data(), data.size(), tag, 16, &ctx);
    EXPECT_NE(std::string(data.begin(), data.end()), plain);
    eaxSetKey(key.data(), keyLength * 8, &ctx);
    ASSERT_EQ(eaxDecrypt(nullptr, 0, nullptr, 0, data.data(), data.size(), tag, 16, &ctx), 0);
    EXPECT_EQ(std::string(data.begin(), data.end()), plain);
  }
}

// Every single flipped bit, in the ciphertext, the tag, the nonce or the
// header, must be caught, and nothing of the message may be left behind.
TEST(Eax, AnyFlippedBitFailsAndWipesTheMessage) {
  const Vector& v = vectors[6];
  std::vector<uint8_t> key = fromHex(v.key), nonce = fromHex(v.nonce),
                       header = fromHex(v.header), sealed = fromHex(v.cipher);
  EaxContext ctx;
  eaxSetKey(key.data(), 16, &ctx);
  size_t length = sealed.size() - 16;
  auto check = [&](std::vector<uint8_t> data, std::vector<uint8_t> n, std::vector<uint8_t> h) {
    int result = eaxDecrypt(n.data(), n.size(), h.data(), h.size(), data.data(), length,
                            data.data() + length, 16, &ctx);
    EXPECT_EQ(data.begin() + length, std::find_if(data.begin(), data.begin() + length,
                                                  [](uint8_t b) { return b != 0; }));
    return result;
  };
  for (size_t bit = 0; bit < sealed.size() * 8; bit++) {
    std::vector<uint8_t> data = sealed;
    data[bit / 8] ^= (uint8_t)(1 << bit % 8);
    ASSERT_NE(check(data, nonce, header), 0) << "sealed bit " << bit;
  }
  for (size_t bit = 0; bit < nonce.size() * 8; bit++) {
    std::vector<uint8_t> n = nonce;
    n[bit / 8] ^= (uint8_t)(1 << bit % 8);
    ASSERT_NE(check(sealed, n, header), 0) << "nonce bit " << bit;
  }
  for (size_t bit = 0; bit < header.size() * 8; bit++) {
    std::vector<uint8_t> h = header;
    h[bit / 8] ^= (uint8_t)(1 << bit % 8);
    ASSERT_NE(check(sealed, nonce, h), 0) << "header bit " << bit;
  }
}

TEST(Eax, WrongKeyFails) {
  const Vector& v = vectors[1];
  std::vector<uint8_t> key = fromHex(v.key), nonce = fromHex(v.nonce),
                       header = fromHex(v.header), data = fromHex(v.cipher);
  key[0] ^= 0x80;
  EaxContext ctx;
  eaxSetKey(key.data(), 16, &ctx);
  EXPECT_NE(eaxDecrypt(nonce.data(), nonce.size(), header.data(), header.size(), data.data(), 2,
                       data.data() + 2, 16, &ctx),
            0);
}

TEST(Eax, WipeZeroesTheWholeContext) {
  std::vector<uint8_t> key = fromHex("000102030405060708090a0b0c0d0e0f");
  EaxContext ctx;
  eaxSetKey(key.data(), 16, &ctx);
  uint8_t message[5] = {1, 2, 3, 4, 5}, tag[16];
  eaxEncrypt(nullptr, 0, nullptr, 0, message, 5, tag, 16, &ctx);
  eaxWipe(&ctx);
  const uint8_t* bytes = (const uint8_t*)&ctx;
  EXPECT_TRUE(std::all_of(bytes, bytes + sizeof(ctx), [](uint8_t b) { return b == 0; }));
}
