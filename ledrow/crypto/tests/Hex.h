// Test vectors are published as hexadecimal text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> fromHex(const std::string& text) {
  std::vector<uint8_t> bytes;
  auto nibble = [](char c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
  };
  std::string digits;
  for (char c : text)
    if (c != ' ')
      digits += c;
  for (size_t i = 0; i + 1 < digits.size(); i += 2)
    bytes.push_back((uint8_t)(nibble(digits[i]) << 4 | nibble(digits[i + 1])));
  return bytes;
}

inline std::string toHex(const uint8_t* data, size_t length) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < length; i++) {
    text += digits[data[i] >> 4];
    text += digits[data[i] & 15];
  }
  return text;
}

inline std::string toHex(const std::vector<uint8_t>& bytes) {
  return toHex(bytes.data(), bytes.size());
}
