#include "plat/win/Unicode.h"
#include "plat/Exception.h"

#include <gtest/gtest.h>

#include <memory>

using namespace plat;

TEST(Unicode, NullAndEmpty) {
  EXPECT_EQ(nullptr, MB2W(nullptr));
  EXPECT_EQ(nullptr, W2MB(nullptr));
  std::unique_ptr<wchar_t[]> w(MB2W(""));
  EXPECT_EQ(0, w[0]);
  std::unique_ptr<char[]> m(W2MB(L""));
  EXPECT_EQ(0, m[0]);
}

TEST(Unicode, RoundTrip) {
  const char* text = "\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80";
  std::unique_ptr<wchar_t[]> w(MB2W(text));
  EXPECT_EQ(0x00e9, w[0]);
  EXPECT_EQ(0xd83d, w[6]); // the emoji as a surrogate pair
  std::unique_ptr<char[]> back(W2MB(w.get()));
  EXPECT_STREQ(text, back.get());
}

TEST(Unicode, ExplicitLength) {
  std::unique_ptr<wchar_t[]> w(MB2W("abcdef", CP_UTF8, 3));
  EXPECT_STREQ(L"abc", w.get());
  std::unique_ptr<char[]> m(W2MB(L"abcdef", CP_UTF8, 2));
  EXPECT_STREQ("ab", m.get());
}

TEST(Unicode, InvalidInputThrows) {
  EXPECT_THROW(MB2W("\xff\xfe", CP_UTF8, -1, MB_ERR_INVALID_CHARS), SystemException);
}
