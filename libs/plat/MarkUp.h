// The mark-up of the programs' dialog texts: UTF-8 with caret codes.
//
//   ^^  a literal '^'          ^b ^n ^u  bold, normal, underlined text
//   ^N{ ... ^}  link N (N a decimal number starting with 1-9)
//   ^m+ ^m-     margin and pen move 6 pixels right or left
//   ^m0         margin and pen go back to 0
//   ^m@         the margin becomes the pen position
//
// Style and link persist until changed, across lines. The parser hands runs
// of plain text to a Handler; Layout word-wraps them for a drawing callback,
// Stripper collects the plain text.
#pragma once

#include "plat/DString.h"

namespace plat {

class MarkUp {
public:
  enum Style { Normal = 0, Bold = 1, Underlined = 2 };
  enum { MarginStep = 6 };

  class Handler {
  public:
    virtual ~Handler() {}
    // run: NUL-terminated UTF-8, a newline only at its end. halfLine: the run
    // is an empty line (a newline at the start of a line).
    virtual void text(const char* run, int style, int linkId, bool halfLine) = 0;
    // op is '+', '-', '0' or '@'.
    virtual void margin(char op) {}
  };

  class LinkCallback {
  public:
    virtual ~LinkCallback() {}
    virtual void linkClicked(int linkId) = 0;
  };

  class Layout;
  class Stripper;

  // Throws plat::Exception for malformed mark-up, after handing on the runs
  // before the fault.
  static void parse(const char* text, Handler* handler);
};

class MarkUp::Layout : public MarkUp::Handler {
public:
  class Callback {
  public:
    virtual ~Callback() {}
    virtual void setStyle(int style, int linkId) = 0;
    virtual int lineHeight() = 0;
    // The width in pixels of the UTF-8 text [from, to).
    virtual int measure(const char* from, const char* to) = 0;
    struct Rect {
      int left, top, right, bottom;
    };
    // One laid-out segment [from, to) of the current run, relative to the
    // layout's origin.
    virtual void emit(const char* from, const char* to, const Rect& rect) = 0;
  };

  // width <= 0: nothing wraps.
  Layout(Callback* callback, int width);

  void text(const char* run, int style, int linkId, bool halfLine) override;
  void margin(char op) override;

  // The extent of everything laid out so far.
  int width() const { return extentWidth_; }
  int height() const { return extentHeight_; }

private:
  void newLine(int h);

  Callback* callback_;
  int x_;
  int y_;
  int extentWidth_;
  int extentHeight_;
  int margin_;
  int wrap_;
};

class MarkUp::Stripper : public MarkUp::Handler {
public:
  // Parses at once; throws as parse does.
  explicit Stripper(const char* markup);

  void text(const char* run, int style, int linkId, bool halfLine) override;

  const char* plainText() const { return text_.c_str(); }

private:
  DString text_;
};

} // namespace plat
