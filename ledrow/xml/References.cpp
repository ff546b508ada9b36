#include "ledrow/xml/References.h"

#include "plat/String.h"

#include <cstring>

namespace xml {

namespace {

const uint32_t MaxCodePoint = 0x10ffff;

int digitValue(char c, int base) {
  int v;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
    v = (c | 0x20) - 'a' + 10;
  else
    return -1;
  return v < base ? v : -1;
}

// p is just after "&#"; returns the position after ";" or null.
const char* decodeNumeric(const char* p, const char* end, std::string& out) {
  int base = 10;
  if (p < end && (*p | 0x20) == 'x') {
    base = 16;
    p++;
  }
  const char* digits = p;
  uint32_t value = 0;
  for (int d; p < end && (d = digitValue(*p, base)) >= 0; p++) {
    value = value * base + d;
    // Stop before the value can wrap: anything this large is refused.
    if (value > MaxCodePoint)
      return nullptr;
  }
  if (p == digits || p == end || *p != ';')
    return nullptr;
  // NUL would cut the text short wherever it is used as a C string;
  // surrogates are not characters.
  if (value == 0 || (value >= 0xd800 && value <= 0xdfff))
    return nullptr;
  appendUtf8(out, value);
  return p + 1;
}

// p is at "&"; returns the position after ";" or null.
const char* decodeReference(const char* p, const char* end, std::string& out) {
  p++;
  if (p < end && *p == '#')
    return decodeNumeric(p + 1, end, out);
  static const struct {
    const char* name;
    char ch;
  } entities[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& e : entities) {
    int n = (int)strlen(e.name);
    if (end - p > n && plat::strCaseCmp(p, e.name, n) == 0 && p[n] == ';') {
      out += e.ch;
      return p + n + 1;
    }
  }
  return nullptr;
}

} // namespace

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += (char)cp;
  } else if (cp < 0x800) {
    out += (char)(0xc0 | cp >> 6);
    out += (char)(0x80 | (cp & 0x3f));
  } else if (cp < 0x10000) {
    out += (char)(0xe0 | cp >> 12);
    out += (char)(0x80 | (cp >> 6 & 0x3f));
    out += (char)(0x80 | (cp & 0x3f));
  } else {
    out += (char)(0xf0 | cp >> 18);
    out += (char)(0x80 | (cp >> 12 & 0x3f));
    out += (char)(0x80 | (cp >> 6 & 0x3f));
    out += (char)(0x80 | (cp & 0x3f));
  }
}

bool appendDecoded(const char* from, const char* to, std::string& out, const char** failedAt) {
  while (from < to) {
    const char* amp = (const char*)memchr(from, '&', to - from);
    if (!amp) {
      out.append(from, to);
      return true;
    }
    out.append(from, amp);
    from = decodeReference(amp, to, out);
    if (!from) {
      *failedAt = amp;
      return false;
    }
  }
  return true;
}

} // namespace xml
