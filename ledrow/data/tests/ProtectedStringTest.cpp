#include "ProtectionHelpers.h"
#include "ledrow/data/ProtectedString.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

using namespace addrbook;

namespace {

const std::vector<uint8_t> fixedSalt = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};

// "a protected text" under "pass phrase" with the salt above, as every copy
// of the program has stored it.
const char knownAnswer[] = "59bd51f4adee864cb340041512a53044"
                           "1fef497b7d75a3fbb48aecd1a80bb229x0123456789abcdef";

std::string opened(const std::string& text, const char* password) {
  ZeroingBuffer plain = decryptString(text.c_str(), password);
  return plain.c_str() ? plain.c_str() : "(null)";
}

// The digits in capitals; the separator stays a lower-case "x".
std::string upperDigits(std::string text) {
  for (char& c : text)
    if (c != 'x')
      c = (char)toupper((unsigned char)c);
  return text;
}

} // namespace

TEST(ProtectedString, KnownAnswer) {
  EXPECT_EQ(knownAnswer, protectWithSalt("a protected text", "pass phrase", fixedSalt));
  EXPECT_EQ("a protected text", opened(knownAnswer, "pass phrase"));
  EXPECT_EQ("(null)", opened(knownAnswer, "pass phrasf"));
}

TEST(ProtectedString, RoundTrips) {
  const char* texts[] = {"", "a", "exactly sixteen!", "seventeen chars..", "caf\xc3\xa9 \xe2\x82\xac",
                         "Signature,Hash=0123\nConnection,Password=abcd"};
  for (const char* text : texts) {
    plat::String sealed = encryptString(text, "master");
    EXPECT_TRUE(isEncryptedForm(sealed.c_str()));
    EXPECT_EQ(text, opened(sealed.c_str(), "master"));
    EXPECT_EQ("(null)", opened(sealed.c_str(), "Master"));
    EXPECT_EQ("(null)", opened(sealed.c_str(), ""));
  }
  std::string longText(5000, 'q');
  EXPECT_EQ(longText, opened(encryptString(longText.c_str(), "\xc3\xa9").c_str(), "\xc3\xa9"));
  // An empty password is a password like any other.
  EXPECT_EQ("x", opened(encryptString("x", "").c_str(), ""));
}

TEST(ProtectedString, Form) {
  plat::String sealed = encryptString("four", "pw");
  std::string text = sealed.c_str();
  ASSERT_EQ(2 * (16 + 4) + 1 + 2 * 8, (int)text.size());
  EXPECT_EQ(text.size(), protectedLength(4));
  EXPECT_EQ(strlen(encryptString("", "pw").c_str()), protectedLength(0));
  EXPECT_EQ('x', text[40]);
  for (size_t i = 0; i < text.size(); i++) {
    if (i != 40) {
      EXPECT_TRUE(isdigit((unsigned char)text[i]) || (text[i] >= 'a' && text[i] <= 'f')) << text;
    }
  }
  // A fresh salt every time.
  EXPECT_NE(text, encryptString("four", "pw").c_str());
}

TEST(ProtectedString, HexCaseDoesNotMatter) {
  EXPECT_EQ("a protected text", opened(upperDigits(knownAnswer), "pass phrase"));
}

TEST(ProtectedString, UnsaltedForm) {
  std::string old = protectWithSalt("older", "pw", {}, false);
  EXPECT_EQ(std::string::npos, old.find('x'));
  EXPECT_EQ("older", opened(old, "pw"));
  EXPECT_EQ("(null)", opened(old, "pW"));
  // A salt of any length is fed to the key as it is.
  std::vector<uint8_t> shortSalt = {0xaa, 0xbb, 0xcc};
  EXPECT_EQ("odd", opened(protectWithSalt("odd", "pw", shortSalt), "pw"));
  std::string empty = protectWithSalt("empty salt", "pw", {});
  EXPECT_EQ('x', empty.back());
  EXPECT_EQ("empty salt", opened(empty, "pw"));
}

TEST(ProtectedString, TamperingIsRefused) {
  std::string good = knownAnswer;
  for (size_t i = 0; i < good.size(); i++) {
    if (good[i] == 'x')
      continue;
    std::string bad = good;
    bad[i] = bad[i] == '0' ? '1' : '0';
    EXPECT_EQ("(null)", opened(bad, "pass phrase")) << "digit " << i;
  }
  EXPECT_EQ("(null)", opened(good.substr(0, 64) + good.substr(66), "pass phrase"));
  EXPECT_EQ("(null)", opened(good + "00", "pass phrase"));
}

TEST(ProtectedString, MalformedIsRefused) {
  std::string tag15(30, '0'); // 15 bytes: shorter than a tag
  const char* bad[] = {"", "x", "zz", "0", "00x0", "00xzz", tag15.c_str()};
  for (const char* text : bad)
    EXPECT_EQ("(null)", opened(text, "pw")) << text;
  // A bare tag over an empty text opens when it is right.
  std::string emptyText = protectWithSalt("", "pw", fixedSalt);
  EXPECT_EQ(2 * 16 + 1 + 16, (int)emptyText.size());
  EXPECT_EQ("", opened(emptyText, "pw"));
}

TEST(ProtectedString, EncryptedForm) {
  EXPECT_TRUE(isEncryptedForm(knownAnswer));
  EXPECT_TRUE(isEncryptedForm("00AAff"));
  EXPECT_TRUE(isEncryptedForm("00x11"));
  // The shape only: lengths are not looked at, and empty parts decode.
  EXPECT_TRUE(isEncryptedForm(""));
  EXPECT_TRUE(isEncryptedForm("x"));
  EXPECT_FALSE(isEncryptedForm("0"));
  EXPECT_FALSE(isEncryptedForm("00x1"));
  EXPECT_FALSE(isEncryptedForm("0g"));
  EXPECT_FALSE(isEncryptedForm("00x00x00"));
  EXPECT_FALSE(isEncryptedForm("plain password"));
}
