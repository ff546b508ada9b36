#include "plat/String.h"

#include <cstdio>
#include <cstring>

namespace plat {

int strLen(const char* text) {
  if (!text)
    return 0;
  size_t n = strnlen(text, MaxStrLen);
  return (int)n;
}

char* strDup(const char* text, int n) {
  if (!text)
    return nullptr;
  int len = strLen(text);
  if (n >= 0 && n < len)
    len = n;
  char* copy = new char[len + 1];
  memcpy(copy, text, len);
  copy[len] = 0;
  return copy;
}

void strFree(char* text) { delete[] text; }

bool startsWith(const char* text, const char* prefix) {
  if (!prefix)
    return true;
  if (!text)
    return prefix[0] == 0;
  return strncmp(text, prefix, strlen(prefix)) == 0;
}

int strCaseCmp(const char* a, const char* b, int n) {
  for (int i = 0; n < 0 || i < n; i++) {
    int ca = (unsigned char)a[i];
    int cb = (unsigned char)b[i];
    if (ca >= 'A' && ca <= 'Z')
      ca += 'a' - 'A';
    if (cb >= 'A' && cb <= 'Z')
      cb += 'a' - 'A';
    if (ca != cb)
      return ca - cb;
    if (!ca)
      return 0;
  }
  return 0;
}

void strAppend(char* buf, size_t size, const char* text, int len) {
  if (size == 0)
    return;
  size_t used = strnlen(buf, size - 1);
  if (!text) {
    buf[used] = 0;
    return;
  }
  size_t room = size - 1 - used;
  size_t i = 0;
  while (i < room && text[i] && (len < 0 || (int)i < len)) {
    buf[used + i] = text[i];
    i++;
  }
  buf[used + i] = 0;
}

void vformatAppend(char* buf, size_t size, const char* fmt, va_list args) {
  if (size == 0)
    return;
  size_t used = strnlen(buf, size - 1);
  vsnprintf(buf + used, size - used, fmt, args);
  buf[size - 1] = 0;
}

char* formatInto(char (&buf)[256], const char* fmt, ...) {
  buf[0] = 0;
  va_list args;
  va_start(args, fmt);
  vformatAppend(buf, sizeof(buf), fmt, args);
  va_end(args);
  return buf;
}

void wordWrap(char* text, int width) {
  if (!text)
    return;
  char* lineStart = text;
  char* word = text;
  for (;;) {
    char* end = word;
    while (*end && *end != ' ' && *end != '\n')
      end++;
    if (word != text && word != lineStart && end - lineStart >= width) {
      word[-1] = '\n';
      lineStart = word;
    }
    if (!*end)
      break;
    if (*end == '\n')
      lineStart = end + 1;
    word = end + 1;
  }
}

char* binToHex(const Blob& blob) {
  static const char digits[] = "0123456789abcdef";
  int n = blob.length > 0 ? blob.length : 0;
  char* out = new char[2 * (size_t)n + 1];
  for (int i = 0; i < n; i++) {
    out[2 * i] = digits[blob.data[i] >> 4];
    out[2 * i + 1] = digits[blob.data[i] & 15];
  }
  out[2 * n] = 0;
  return out;
}

static int hexDigitValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

bool hexToBin(const char* text, int len, uint8_t* out) {
  if (len % 2)
    return false;
  for (int i = 0; i < len; i += 2) {
    int high = hexDigitValue(text[i]);
    int low = hexDigitValue(text[i + 1]);
    if (high < 0 || low < 0)
      return false;
    out[i / 2] = (uint8_t)(high << 4 | low);
  }
  return true;
}

namespace {

int leadingOnes(unsigned char c) {
  int n = 0;
  while (n < 8 && (c & (0x80 >> n)))
    n++;
  return n;
}

int encodedLength(uint32_t cp) {
  if (cp < 0x80)
    return 1;
  if (cp < 0x800)
    return 2;
  if (cp < 0x10000)
    return 3;
  return 4;
}

void encode(uint32_t cp, char* out) {
  switch (encodedLength(cp)) {
  case 1:
    out[0] = (char)cp;
    break;
  case 2:
    out[0] = (char)(0xC0 | (cp >> 6));
    out[1] = (char)(0x80 | (cp & 0x3F));
    break;
  case 3:
    out[0] = (char)(0xE0 | (cp >> 12));
    out[1] = (char)(0x80 | ((cp >> 6) & 0x3F));
    out[2] = (char)(0x80 | (cp & 0x3F));
    break;
  default:
    out[0] = (char)(0xF0 | (cp >> 18));
    out[1] = (char)(0x80 | ((cp >> 12) & 0x3F));
    out[2] = (char)(0x80 | ((cp >> 6) & 0x3F));
    out[3] = (char)(0x80 | (cp & 0x3F));
    break;
  }
}

} // namespace

bool checkUtf8(char* text) {
  if (!text)
    return true;
  const unsigned char* in = (const unsigned char*)text;
  char* out = text;
  bool moved = false;
  while (*in) {
    int n = leadingOnes(*in);
    if (n == 0) {
      if (moved)
        *out = (char)*in;
      in++;
      out++;
      continue;
    }
    if (n == 1 || n > 4)
      return false;
    uint32_t cp = *in & (0xFF >> (n + 1));
    for (int i = 1; i < n; i++) {
      if (leadingOnes(in[i]) != 1)
        return false;
      cp = (cp << 6) | (in[i] & 0x3F);
    }
    if (cp >= 0xD800 && cp <= 0xDFFF)
      return false;
    if (cp > 0x10FFFF)
      throw Exception("Unicode out of range");
    // An over-long NUL would cut the text short once rewritten.
    if (cp == 0)
      return false;
    int shortest = encodedLength(cp);
    if (shortest != n)
      moved = true;
    if (moved)
      encode(cp, out);
    in += n;
    out += shortest;
  }
  if (moved)
    *out = 0;
  return true;
}

void hexDump(const char* prefix, const char* linePrefix, const void* data, int count) {
  const unsigned char* bytes = (const unsigned char*)data;
  fputs(prefix, stderr);
  for (int i = 0; i < count; i++) {
    if (i > 0 && i % 16 == 0)
      fputs(linePrefix, stderr);
    fprintf(stderr, "%02x ", bytes[i]);
    if (i % 4 == 3)
      fputc(' ', stderr);
    if (i % 16 == 15 || i == count - 1) {
      int lineStart = i - i % 16;
      for (int pad = i % 16 + 1; pad < 16; pad++) {
        fputs("   ", stderr);
        if (pad % 4 == 3)
          fputc(' ', stderr);
      }
      for (int j = lineStart; j <= i; j++)
        fputc(bytes[j] < 32 || bytes[j] > 126 ? '.' : bytes[j], stderr);
      fputc('\n', stderr);
    }
  }
  fflush(stderr);
}

String& String::operator=(const char* text) {
  if (text == buf_)
    return *this;
  if (text && buf_ && strcmp(text, buf_) == 0)
    return *this;
  char* copy = strDup(text);
  strFree(buf_);
  buf_ = copy;
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this != &other) {
    strFree(buf_);
    buf_ = other.buf_;
    other.buf_ = nullptr;
  }
  return *this;
}

String String::adopt(char* buf) {
  String s;
  s.buf_ = buf;
  return s;
}

void String::replaceBuf(char* buf) {
  if (buf == buf_)
    return;
  strFree(buf_);
  buf_ = buf;
}

char* String::release() {
  char* b = buf_;
  buf_ = nullptr;
  return b;
}

bool splitAt(const char* text, char ch, char** head, char** tail, bool fromEnd) {
  const char* at = text ? (fromEnd ? strrchr(text, ch) : strchr(text, ch)) : nullptr;
  if (ch == 0)
    at = nullptr;
  if (!at) {
    if (head)
      *head = strDup(text);
    if (tail)
      *tail = nullptr;
    return false;
  }
  if (head)
    *head = strDup(text, (int)(at - text));
  if (tail)
    *tail = strDup(at + 1);
  return true;
}

bool splitAt(const char* text, char ch, StringPair* pair, bool fromEnd) {
  char* head;
  char* tail;
  bool found = splitAt(text, ch, &head, &tail, fromEnd);
  pair->head.replaceBuf(head);
  pair->tail.replaceBuf(tail);
  return found;
}

char* nextToken(char** cursor, char sep) {
  char* start = *cursor;
  if (!start)
    return nullptr;
  char* at = strchr(start, sep);
  if (at && sep) {
    *at = 0;
    *cursor = at + 1;
  } else {
    *cursor = nullptr;
  }
  return start;
}

char* TokenCursor::next(char sep) { return nextToken(&cursor_, sep); }

} // namespace plat
