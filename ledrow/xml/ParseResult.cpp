#include "ledrow/xml/ParseResult.h"

namespace xml {

const char* errorText(int code) {
  static const char* const texts[] = {
      "no error",
      "unmatched end tag",
      "no XML tag found",
      "no XML data",
      "missing start tag name",
      "missing end tag name",
      "unmatched end tag",
      "unmatched clear tag end",
      "unexpected token found",
      "no elements found",
      "file not found",
      "first tag not found",
      "unknown character entity",
      "unable to convert between WideChar and MultiByte chars",
      "unable to open file for writing",
      "cannot write into file",
      "base64-string length is not a multiple of 4",
      "base64-string contains an illegal character",
      "base64-string is truncated",
      "base64 decode output buffer is too small",
      "elements nested too deeply",
      "XML data too large",
  };
  if (code < 0 || code >= (int)(sizeof(texts) / sizeof(texts[0])))
    return "Unknown";
  return texts[code];
}

} // namespace xml
