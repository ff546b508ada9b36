#include "plat/MarkUp.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using plat::MarkUp;

namespace {

struct RunRecorder : MarkUp::Handler {
  void text(const char* run, int style, int linkId, bool halfLine) override {
    runs.push_back(std::string(run) + "|" + std::to_string(style) + "|" + std::to_string(linkId) +
                   (halfLine ? "|half" : ""));
  }
  void margin(char op) override { runs.push_back(std::string("margin ") + op); }
  std::vector<std::string> runs;
};

// 7 pixels a byte ('W' is a billion), lines of 10.
struct FakeCanvas : MarkUp::Layout::Callback {
  void setStyle(int style, int linkId) override {
    styles.push_back(std::to_string(style) + "/" + std::to_string(linkId));
  }
  int lineHeight() override { return 10; }
  int measure(const char* from, const char* to) override {
    int w = 0;
    for (; from < to; from++)
      w += *from == 'W' ? 1000000000 : 7;
    return w;
  }
  void emit(const char* from, const char* to, const Rect& r) override {
    segments.push_back("'" + std::string(from, to) + "' " + std::to_string(r.left) + "," +
                       std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                       std::to_string(r.bottom));
  }
  std::vector<std::string> styles;
  std::vector<std::string> segments;
};

struct Laid {
  std::vector<std::string> segments;
  std::vector<std::string> styles;
  int width, height;
};

Laid layOut(const char* markup, int width) {
  FakeCanvas canvas;
  MarkUp::Layout layout(&canvas, width);
  MarkUp::parse(markup, &layout);
  return {canvas.segments, canvas.styles, layout.width(), layout.height()};
}

std::string errorOf(const char* markup) {
  RunRecorder recorder;
  try {
    MarkUp::parse(markup, &recorder);
  } catch (const plat::Exception& e) {
    return e.str();
  }
  return "no error";
}

using Strings = std::vector<std::string>;

} // namespace

TEST(MarkUp, ParsesRunsStylesLinksAndMargins) {
  RunRecorder r;
  MarkUp::parse("a^^b^bx\ny^uz^12{l\nk^}^m@\n\ne^m+", &r);
  EXPECT_EQ(r.runs, (Strings{"a^b|0|0", "x\n|1|0", "y|1|0", "z|2|0", "l\n|2|12", "k|2|12",
                             "margin @", "\n|2|0", "\n|2|0|half", "e|2|0", "margin +"}));
  RunRecorder big;
  MarkUp::parse("^99999999999{x^}", &big);
  EXPECT_EQ(big.runs, (Strings{"x|0|" + std::to_string(INT_MAX)}));
  EXPECT_STREQ(MarkUp::Stripper("^bHello ^1{world^}").plainText(), "Hello world");
}

TEST(MarkUp, ErrorTexts) {
  EXPECT_EQ(errorOf("^12x"), "Malformed hyperlink");
  EXPECT_EQ(errorOf("^mx"), "Bad margin operator x");
  EXPECT_EQ(errorOf("^m"), "Bad margin operator ");
  EXPECT_EQ(errorOf("a^x"), "Bad mark-up char x");
  EXPECT_EQ(errorOf("^0"), "Bad mark-up char 0");
  EXPECT_EQ(errorOf("ab^"), "Bad mark-up char: the text ends after ^");
  FakeCanvas canvas;
  MarkUp::Layout layout(&canvas, 0);
  try {
    layout.margin('x');
    FAIL();
  } catch (const plat::Exception& e) {
    EXPECT_STREQ(e.str(), "Bad margin operator: x");
  }
}

TEST(MarkUpLayout, WrapsAtSpacesAndContinuesRuns) {
  Laid l = layOut("one two three", 50);
  EXPECT_EQ(l.segments, (Strings{"'one two' 0,0,49,10", "'three' 0,10,35,20"}));
  EXPECT_EQ(l.width, 49);
  EXPECT_EQ(l.height, 20);
  // Runs share a line; spaces at a wrap are dropped.
  l = layOut("ab ^bcd   \tef", 40);
  EXPECT_EQ(l.segments, (Strings{"'ab ' 0,0,21,10", "'cd' 21,0,35,10", "'ef' 0,10,14,20"}));
  EXPECT_EQ(l.styles, (Strings{"0/0", "1/0"}));
  // Nothing wraps with an unlimited width.
  l = layOut("one two three", 0);
  EXPECT_EQ(l.segments, (Strings{"'one two three' 0,0,91,10"}));
  // A sequence cut short by a space still breaks there.
  l = layOut("\xE2 ab", 20);
  EXPECT_EQ(l.segments, (Strings{"'\xE2' 0,0,7,10", "'ab' 0,10,14,20"}));
}

TEST(MarkUpLayout, WordsWiderThanTheWidth) {
  Laid l = layOut("ab abcdefgh cd", 30);
  EXPECT_EQ(l.segments,
            (Strings{"'ab' 0,0,14,10", "'abcdefgh' 0,10,56,20", "'cd' 0,20,14,30"}));
  // A word that fits no line starts a line of its own, overflowing it.
  l = layOut("ab ^babcdefgh", 30);
  EXPECT_EQ(l.segments, (Strings{"'ab ' 0,0,21,10", "'abcdefgh' 0,10,56,20"}));
  // Unlimited width near the top of the int range: the sum is compared in
  // 64 bits instead of overflowing.
  l = layOut("WW^bW", 0);
  EXPECT_EQ(l.segments, (Strings{"'WW' 0,0,2000000000,10", "'W' 0,10,1000000000,20"}));
}

TEST(MarkUpLayout, NewlinesAndHalfLines) {
  Laid l = layOut("a\n\nb", 0);
  EXPECT_EQ(l.segments, (Strings{"'a' 0,0,7,10", "'' 0,10,0,20", "'' 0,10,0,15",
                                 "'' 0,15,0,20", "'b' 0,15,7,25"}));
  EXPECT_EQ(l.height, 25);
}

TEST(MarkUpLayout, Margins) {
  // After @ the wrapped lines start under the word that follows it.
  Laid l = layOut("ab ^m@cd ef gh ij", 60);
  EXPECT_EQ(l.segments,
            (Strings{"'ab ' 0,0,21,10", "'cd ef' 21,0,56,10", "'gh ij' 21,10,56,20"}));
  l = layOut("^m+^m+a^m-b\nc^m0d", 0);
  EXPECT_EQ(l.segments, (Strings{"'a' 12,0,19,10", "'b' 13,0,20,10", "'' 6,10,6,20",
                                 "'c' 6,10,13,20", "'d' 0,10,7,20"}));
}

TEST(MarkUpLayout, LinksAreUnderlinedAndWrapAcrossLines) {
  Laid l = layOut("see ^b^1{the long link^} ok", 40);
  EXPECT_EQ(l.styles, (Strings{"0/0", "2/1", "1/0"}));
  EXPECT_EQ(l.segments,
            (Strings{"'see ' 0,0,28,10", "'the' 0,10,21,20", "'long' 0,20,28,30",
                     "'link' 0,30,28,40", "'' 28,30,28,40", "'ok' 0,40,14,50"}));
}
