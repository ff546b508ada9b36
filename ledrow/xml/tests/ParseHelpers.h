#pragma once

#include "ledrow/xml/Parser.h"

#include <string>

inline xml::ElementPtr parse(const std::string& text, xml::ParseResult* result,
                             const char* root = nullptr) {
  return xml::parseText(text.data(), text.size(), root, result);
}

// The error as "code line:column", or "ok".
inline std::string errorOf(const std::string& text, const char* root = nullptr) {
  xml::ParseResult result;
  xml::ElementPtr element = parse(text, &result, root);
  if (result.code == xml::NoError)
    return element ? "ok" : "null without an error";
  if (element)
    return "an element with an error";
  return std::to_string(result.code) + " " + std::to_string(result.line) + ":" +
         std::to_string(result.column);
}
