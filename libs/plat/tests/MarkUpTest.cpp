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

std::vector<std::string> layOut(const char* markup, int width, int* extent = nullptr) {
  FakeCanvas canvas;
  MarkUp::Layout layout(&canvas, width);
  MarkUp::parse(markup, &layout);
  if (extent) {
    extent[0] = layout.width();
    extent[1] = layout.height();
  }
  return canvas.segments;
}

template <class F> std::string errorOf(F f) {
  try {
    f();
  } catch (const plat::Exception& e) {
    return e.str();
  }
  return "no error";
}

std::string parseError(const char* markup) {
  RunRecorder recorder;
  return errorOf([&] { MarkUp::parse(markup, &recorder); });
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
  EXPECT_EQ(parseError("^12x"), "Malformed hyperlink");
  EXPECT_EQ(parseError("^mx"), "Bad margin operator x");
  EXPECT_EQ(parseError("^m"), "Bad margin operator ");
  EXPECT_EQ(parseError("a^x"), "Bad mark-up char x");
  EXPECT_EQ(parseError("^0"), "Bad mark-up char 0");
  EXPECT_EQ(parseError("ab^"), "Bad mark-up char: the text ends after ^");
  FakeCanvas canvas;
  MarkUp::Layout layout(&canvas, 0);
  EXPECT_EQ(errorOf([&] { layout.margin('x'); }), "Bad margin operator: x");
}

TEST(MarkUpLayout, ExactRectangles) {
  struct Case {
    const char* markup;
    int width;
    Strings segments;
  } cases[] = {
      {"one two three", 50, {"'one two' 0,0,49,10", "'three' 0,10,35,20"}},
      // Runs share a line; spaces at a wrap are dropped.
      {"ab ^bcd   \tef", 40, {"'ab ' 0,0,21,10", "'cd' 21,0,35,10", "'ef' 0,10,14,20"}},
      {"one two three", 0, {"'one two three' 0,0,91,10"}},
      // A sequence cut short by a space still breaks there.
      {"\xE2 ab", 20, {"'\xE2' 0,0,7,10", "'ab' 0,10,14,20"}},
      // A word wider than the width gets a line of its own and overflows.
      {"ab abcdefgh cd", 30, {"'ab' 0,0,14,10", "'abcdefgh' 0,10,56,20", "'cd' 0,20,14,30"}},
      {"ab ^babcdefgh", 30, {"'ab ' 0,0,21,10", "'abcdefgh' 0,10,56,20"}},
      // Unlimited width near the top of the int range: compared in 64 bits.
      {"WW^bW", 0, {"'WW' 0,0,2000000000,10", "'W' 0,10,1000000000,20"}},
      // The empty line between two newlines is half a line high.
      {"a\n\nb",
       0,
       {"'a' 0,0,7,10", "'' 0,10,0,20", "'' 0,10,0,15", "'' 0,15,0,20", "'b' 0,15,7,25"}},
      // After @ the wrapped lines start under the word that follows it.
      {"ab ^m@cd ef gh ij", 60, {"'ab ' 0,0,21,10", "'cd ef' 21,0,56,10", "'gh ij' 21,10,56,20"}},
      {"^m+^m+a^m-b\nc^m0d",
       0,
       {"'a' 12,0,19,10", "'b' 13,0,20,10", "'' 6,10,6,20", "'c' 6,10,13,20", "'d' 0,10,7,20"}},
      {"see ^b^1{the long link^} ok",
       40,
       {"'see ' 0,0,28,10", "'the' 0,10,21,20", "'long' 0,20,28,30", "'link' 0,30,28,40",
        "'' 28,30,28,40", "'ok' 0,40,14,50"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.segments, layOut(c.markup, c.width)) << c.markup;
  int extent[2];
  layOut("one two three", 50, extent);
  EXPECT_EQ(49, extent[0]);
  EXPECT_EQ(20, extent[1]);
  layOut("a\n\nb", 0, extent);
  EXPECT_EQ(25, extent[1]);
}

TEST(MarkUpLayout, LinksTakeTheUnderlinedStyle) {
  FakeCanvas canvas;
  MarkUp::Layout layout(&canvas, 0);
  MarkUp::parse("ab ^bcd ^1{link^} ^ux", &layout);
  EXPECT_EQ(canvas.styles, (Strings{"0/0", "1/0", "2/1", "1/0", "2/0"}));
}
