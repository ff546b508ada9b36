#include "plat/Exception.h"

#include <gtest/gtest.h>

#include <string>

using namespace plat;

static bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(SystemException, SocketErrorsHaveFixedTexts) {
  SystemException e("connect", 10061);
  EXPECT_STREQ("connect: Connection refused (10061)", e.str());
  EXPECT_EQ(10061, e.err);
  EXPECT_STREQ("recv: Connection reset by peer (10054)", SystemException("recv", 10054).str());
  EXPECT_STREQ("Connection timed out (10060)", SystemException("", 10060).str());
  EXPECT_STREQ("x: Connection aborted (10053)", SystemException("x", 10053).str());
}

TEST(SystemException, SystemTextsHaveNoLineEndAndCarryTheCode) {
  // Wine's message texts differ from Windows: compare prefix and suffix.
  std::string m = SystemException("awaitEvent failed", 6).str();
  EXPECT_EQ(0u, m.find("awaitEvent failed: "));
  EXPECT_TRUE(endsWith(m, " (6)")) << m;
  EXPECT_GT(m.size(), strlen("awaitEvent failed:  (6)"));
  EXPECT_EQ(std::string::npos, m.find('\n'));
  EXPECT_EQ(std::string::npos, m.find('\r'));

  std::string empty = SystemException("", 2).str();
  EXPECT_NE(':', empty[0]);
  EXPECT_NE(' ', empty[0]);
  EXPECT_TRUE(endsWith(empty, " (2)")) << empty;
}

TEST(SystemException, NegativeCodesAreHex) {
  std::string m = SystemException("CoCreate", (int)0x80004005).str();
  EXPECT_TRUE(endsWith(m, " (80004005)")) << m;
}

TEST(SystemException, FormattedText) {
  SystemExceptionFmt e("fileOpen(%s)", 3, "C:\\x");
  std::string m = e.str();
  EXPECT_EQ(0u, m.find("fileOpen(C:\\x): "));
  EXPECT_TRUE(endsWith(m, " (3)"));
  EXPECT_EQ(3, e.err);
}

TEST(SystemException, LongTextsAreCut) {
  std::string text(300, 'a');
  SystemException e(text.c_str(), 10061);
  EXPECT_EQ(255u, strlen(e.str()));
}
