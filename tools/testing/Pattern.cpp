#include "testing/Pattern.h"

namespace testing_support {

namespace {

char patternByte(uint32_t seed, uint64_t position) {
  uint64_t x = position * 0x9E3779B97F4A7C15ULL ^ ((uint64_t)seed << 32 | seed);
  x ^= x >> 29;
  return (char)(x * 0xBF58476D1CE4E5B9ULL >> 56);
}

} // namespace

void fillPattern(uint32_t seed, uint64_t offset, char* buf, size_t n) {
  for (size_t i = 0; i < n; i++)
    buf[i] = patternByte(seed, offset + i);
}

bool matchesPattern(uint32_t seed, uint64_t offset, const char* buf, size_t n) {
  for (size_t i = 0; i < n; i++)
    if (buf[i] != patternByte(seed, offset + i))
      return false;
  return true;
}

uint32_t patternSeed(const std::string& name) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : name)
    hash = (hash ^ c) * 16777619u;
  return hash;
}

} // namespace testing_support
