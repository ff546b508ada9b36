#include "ledrow/data/LineRules.h"
#include "ledrow/data/ConnOptions.h"
#include "plat/String.h"

#include <cstring>

namespace addrbook {

static bool hasLineBreak(const char* text) { return strpbrk(text, "\r\n") != nullptr; }

bool isPairText(const char* name, const char* value) {
  return name[0] != '[' && name[0] != ';' && !strchr(name, '=') && !hasLineBreak(name) &&
         !hasLineBreak(value);
}

bool pairReadsBack(const char* name, const char* value) {
  return isPairText(name, value) &&
         strlen(name) + 1 + strlen(value) <= (size_t)CConnOptions::MaxLineLength;
}

bool sectionReadsBack(const char* name) {
  if (strchr(name, ']') || hasLineBreak(name))
    return false;
  return strlen(name) + 2 <= (size_t)CConnOptions::MaxLineLength;
}

bool hostReadsBack(const char* host) {
  plat::String copy(host); // checkUtf8 rewrites over-long forms
  try {
    return plat::checkUtf8(copy.buf());
  } catch (const plat::Exception&) {
    return false; // beyond Unicode
  }
}

} // namespace addrbook
