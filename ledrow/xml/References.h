// Character and entity references in text and attribute values: the five
// predefined entities (names compared case-insensitively) and numeric
// references, which stand for one Unicode code point each.
#pragma once

#include <cstdint>
#include <string>

namespace xml {

// Appends [from, to) to out with every reference decoded. On an unknown or
// invalid reference returns false with *failedAt at its "&".
bool appendDecoded(const char* from, const char* to, std::string& out, const char** failedAt);

// Appends the UTF-8 encoding of a Unicode scalar value.
void appendUtf8(std::string& out, uint32_t codePoint);

} // namespace xml
