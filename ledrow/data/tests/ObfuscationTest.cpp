#include "ledrow/data/Des.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "plat/String.h"

#include <gtest/gtest.h>

#include <string>

using namespace addrbook;

namespace {

std::string hex(const uint8_t* data, int length) {
  plat::String text = plat::String::adopt(plat::binToHex({length, data}));
  return text.c_str();
}

std::string hex(const ZeroingBytes& bytes) { return hex(bytes.data(), bytes.length()); }

ZeroingBytes fromHex(const std::string& text) {
  ZeroingBytes bytes;
  plat::hexToBin(text.c_str(), (int)text.size(), bytes.allocate((int)text.size() / 2));
  return bytes;
}

std::string roundTrip(const char* plain) {
  ZeroingBytes obfuscated;
  obfuscatePassword(&obfuscated, plain);
  return deobfuscatePassword(obfuscated, Latin1CodePage()).c_str();
}

std::string deobfuscateError(const ZeroingBytes& bytes) {
  try {
    deobfuscatePassword(bytes, Latin1CodePage());
  } catch (const plat::Exception& e) {
    return e.str();
  }
  return "(no error)";
}

} // namespace

TEST(Des, StandardKnownAnswers) {
  const struct {
    const char* key;
    const char* plain;
    const char* cipher;
  } vectors[] = {
      {"133457799bbcdff1", "0123456789abcdef", "85e813540f0ab405"},
      {"0000000000000000", "0000000000000000", "8ca64de9c1b123a7"},
      {"ffffffffffffffff", "ffffffffffffffff", "7359b2163e4edc58"},
      {"0123456789abcdef", "4e6f772069732074", "3fa40e8a984d4815"},
  };
  for (const auto& v : vectors) {
    ZeroingBytes key = fromHex(v.key), plain = fromHex(v.plain);
    uint8_t out[8], back[8];
    Des(key.data(), Des::Encrypt).processBlock(plain.data(), out);
    EXPECT_EQ(v.cipher, hex(out, 8)) << v.key;
    Des(key.data(), Des::Decrypt).processBlock(out, back);
    EXPECT_EQ(v.plain, hex(back, 8)) << v.key;
  }
}

TEST(Obfuscation, KnownForms) {
  // The viewer reads these; they must never change.
  ZeroingBytes o;
  obfuscatePassword(&o, "");
  EXPECT_EQ("d48039af574bcde6", hex(o));
  obfuscatePassword(&o, "password");
  EXPECT_EQ("e5fd5abf1ea8512d", hex(o));
  obfuscatePassword(&o, "password9");
  EXPECT_EQ("e5fd5abf1ea8512d494e979635f10317", hex(o));
  obfuscatePassword(&o, "caf\xc3\xa9");
  EXPECT_EQ("e6200fabc8ea7edc55544638", hex(o)); // ends in "UTF8"
}

TEST(Obfuscation, RoundTrips) {
  EXPECT_EQ("", roundTrip(""));
  EXPECT_EQ("12345678", roundTrip("12345678"));
  EXPECT_EQ("123456789", roundTrip("123456789"));
  std::string longText(1000, 'x');
  longText += "end";
  EXPECT_EQ(longText, roundTrip(longText.c_str()));
  EXPECT_EQ("p\xc3\xa4ss\xe2\x82\xac", roundTrip("p\xc3\xa4ss\xe2\x82\xac"));
  EXPECT_EQ("12345678\xc3\xa4", roundTrip("12345678\xc3\xa4"));
}

TEST(Obfuscation, Lengths) {
  ZeroingBytes o;
  obfuscatePassword(&o, "abcdefgh");
  EXPECT_EQ(8, o.length());
  obfuscatePassword(&o, "abcdefghi");
  EXPECT_EQ(16, o.length());
  obfuscatePassword(&o, "abcdefg\xc3\xa4"); // 9 bytes and the marker
  EXPECT_EQ(20, o.length());
}

TEST(Obfuscation, LengthErrors) {
  EXPECT_EQ("bad obfuscated password length", deobfuscateError(fromHex("0011223344556677aabbccdd")));
  EXPECT_EQ("bad obfuscated password length", deobfuscateError(fromHex("00112233445566")));
  EXPECT_EQ("bad obfuscated password length", deobfuscateError(fromHex("0011223344556677887766")));
  EXPECT_STREQ("", deobfuscatePassword(fromHex("55544638"), Latin1CodePage()).c_str());
  EXPECT_STREQ("", deobfuscatePassword(ZeroingBytes(), Latin1CodePage()).c_str());
}

TEST(Obfuscation, UnmarkedTextIsInTheAnsiCodePage) {
  // "caf" and Latin-1 e-acute, as an older program obfuscated it.
  ZeroingBytes o;
  obfuscatePassword(&o, "caf\xc3\xa9");
  ZeroingBuffer plain = deobfuscatePassword(o, Latin1CodePage());
  std::string latin1 = "caf\xe9";
  // Obfuscate the Latin-1 bytes: the same blocks without a marker.
  ZeroingBytes legacy;
  obfuscatePassword(&legacy, latin1.c_str());
  legacy.truncate(8); // an older program wrote no marker
  EXPECT_EQ("caf\xc3\xa9", std::string(deobfuscatePassword(legacy, Latin1CodePage()).c_str()));
  EXPECT_EQ("caf\xc3\xa9", std::string(plain.c_str()));
}

TEST(Obfuscation, DecryptionStopsAtTheFirstZero) {
  ZeroingBytes o;
  obfuscatePassword(&o, "abc");
  EXPECT_EQ(8, o.length());
  EXPECT_EQ("abc", std::string(deobfuscatePassword(o, Latin1CodePage()).c_str()));
}

TEST(ZeroingBytes, CopiesAndTruncation) {
  ZeroingBytes a("\x01\x02\x03", 3);
  ZeroingBytes b = a;
  EXPECT_TRUE(b.equals("\x01\x02\x03", 3));
  b.truncate(1);
  EXPECT_EQ(1, b.length());
  b.truncate(5); // never grows
  EXPECT_EQ(1, b.length());
  ZeroingBytes& same = a;
  a = same; // self-assignment keeps the bytes
  EXPECT_TRUE(a.equals("\x01\x02\x03", 3));
  a.assign(a.data() + 1, 2); // from its own bytes
  EXPECT_TRUE(a.equals("\x02\x03", 2));
  ZeroingBytes c = std::move(a);
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(2, c.length());
  c.clear();
  EXPECT_EQ(nullptr, c.data());
}
