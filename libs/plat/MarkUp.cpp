#include "plat/MarkUp.h"
#include "plat/String.h"

#include <climits>

namespace plat {

namespace {

// The decimal number at p (its first digit is 1-9); a number too large for
// a link id is cut to the largest one, as a 32-bit strtol would.
int readLinkId(const char** p) {
  long long n = 0;
  while (**p >= '0' && **p <= '9') {
    if (n < INT_MAX)
      n = n * 10 + (**p - '0');
    (*p)++;
  }
  return n > INT_MAX ? INT_MAX : (int)n;
}

} // namespace

void MarkUp::parse(const char* text, Handler* handler) {
  if (!text)
    return;
  int style = Normal;
  int link = 0;
  const char* lineStart = text;
  const char* p = text;
  DString run(strLen(text) + 1);
  while (*p) {
    run.clear();
    const char* runStart = p;
    for (;;) {
      const char* from = p;
      while (*p && *p != '^' && *p != '\n')
        p++;
      bool lineEnd = *p == '\n';
      if (lineEnd)
        p++;
      run.append(from, (int)(p - from));
      if (lineEnd || p[0] != '^' || p[1] != '^')
        break;
      run.appendChars('^', 1);
      p += 2;
    }
    int n = run.length();
    if (n) {
      bool halfLine = n == 1 && run.c_str()[0] == '\n' && runStart == lineStart;
      handler->text(run.c_str(), style, link, halfLine);
      if (run.c_str()[n - 1] == '\n')
        lineStart = p;
    }
    if (*p != '^')
      continue;
    char code = *++p;
    p++;
    switch (code) {
    case 'b': style = Bold; break;
    case 'n': style = Normal; break;
    case 'u': style = Underlined; break;
    case '}': link = 0; break;
    case 'm':
      if (*p != '+' && *p != '-' && *p != '0' && *p != '@')
        throw ExceptionFmt("Bad margin operator %c", *p);
      handler->margin(*p++);
      break;
    case 0:
      throw Exception("Bad mark-up char: the text ends after ^");
    default:
      if (code < '1' || code > '9')
        throw ExceptionFmt("Bad mark-up char %c", code);
      p--;
      link = readLinkId(&p);
      if (*p != '{')
        throw Exception("Malformed hyperlink");
      p++;
    }
  }
}

MarkUp::Stripper::Stripper(const char* markup) : text_(strLen(markup) + 1) {
  MarkUp::parse(markup, this);
}

void MarkUp::Stripper::text(const char* run, int style, int linkId, bool halfLine) {
  text_.append(run);
}

} // namespace plat
