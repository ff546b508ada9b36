// Owned UTF-8 strings and the string helpers of the foundation. Every string
// returned as char* is a new buffer allocated with new[]; the caller frees it
// with strFree (or hands it to a String, which does).
#pragma once

#include "plat/Exception.h"

#include <cstdarg>
#include <cstdint>

namespace plat {

enum { MaxStrLen = 0x3FFFFFFF };

int strLen(const char* text);
char* strDup(const char* text, int n = -1);
void strFree(char* text);
bool startsWith(const char* text, const char* prefix);
// ASCII case-insensitive comparison; n < 0 compares the whole texts.
int strCaseCmp(const char* a, const char* b, int n = -1);

// Appends at most len chars of text (len < 0: all) to the NUL-terminated text
// in buf, a buffer of size bytes; always terminates, truncates silently.
void strAppend(char* buf, size_t size, const char* text, int len);
void vformatAppend(char* buf, size_t size, const char* fmt, va_list args);
// Empties the 256-byte buffer and formats into it.
char* formatInto(char (&buf)[256], const char* fmt, ...) PLAT_PRINTF(2, 3);

// Wraps in place: a line holds at most width - 1 characters unless a single
// word is longer.
void wordWrap(char* text, int width);

struct Blob {
  int length;
  const uint8_t* data;
};
char* binToHex(const Blob& blob);
// Decodes len hexadecimal digits (either case) into len / 2 bytes at out.
// False, with out in any state, for an odd length or a non-digit.
bool hexToBin(const char* text, int len, uint8_t* out);

// Validates UTF-8 and rewrites over-long forms in their shortest form, in
// place. False for malformed text and surrogates; a code point above U+10FFFF
// throws "Unicode out of range".
bool checkUtf8(char* text);

void hexDump(const char* prefix, const char* linePrefix, const void* data, int count);

// One owned NUL-terminated string; null is allowed.
class String {
public:
  String() : buf_(nullptr) {}
  String(const char* text) : buf_(strDup(text)) {}
  String(const String& other) : buf_(strDup(other.buf_)) {}
  String(String&& other) noexcept : buf_(other.buf_) { other.buf_ = nullptr; }
  ~String() { strFree(buf_); }

  // Copies only when the texts differ.
  String& operator=(const char* text);
  String& operator=(const String& other) { return *this = other.buf_; }
  String& operator=(String&& other) noexcept;

  // Takes ownership of a new[] buffer.
  static String adopt(char* buf);
  void replaceBuf(char* buf);
  char* release();

  const char* c_str() const { return buf_; }
  char* buf() { return buf_; }
  bool isNull() const { return buf_ == nullptr; }
  int length() const { return strLen(buf_); }

private:
  char* buf_;
};

// A text that may or may not be owned by the holder.
struct OwnedString {
  OwnedString(char* text_, bool owns_) : text(text_), owns(owns_) {}
  OwnedString(const OwnedString&) = delete;
  OwnedString& operator=(const OwnedString&) = delete;
  ~OwnedString() {
    if (owns)
      strFree(text);
  }
  char* text;
  bool owns;
};

struct StringPair {
  String head;
  String tail;
};

// Splits at the first (or with fromEnd the last) ch. When ch is absent:
// false, head is a copy of the whole text and tail is null.
bool splitAt(const char* text, char ch, char** head, char** tail, bool fromEnd = false);
bool splitAt(const char* text, char ch, StringPair* pair, bool fromEnd = false);

// A private copy of a text being tokenised and the position in it.
class TokenCursor {
public:
  explicit TokenCursor(const char* text) : buffer_(strDup(text)), cursor_(buffer_) {}
  TokenCursor(const TokenCursor&) = delete;
  TokenCursor& operator=(const TokenCursor&) = delete;
  ~TokenCursor() { strFree(buffer_); }
  // The text up to the next sep (NUL-terminated in place), or null at the end.
  char* next(char sep);

private:
  char* buffer_;
  char* cursor_;
};

char* nextToken(char** cursor, char sep);

} // namespace plat
