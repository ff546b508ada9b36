// Generated file contents that are never stored: a byte sequence from a
// seed, so that a byte from the wrong place or the wrong file never
// matches, and the seed of a file from its name in a share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testing_support {

void fillPattern(uint32_t seed, uint64_t offset, char* buf, size_t n);
// Whether buf holds the pattern's bytes from offset on.
bool matchesPattern(uint32_t seed, uint64_t offset, const char* buf, size_t n);
// name: '/'-separated, as in the share.
uint32_t patternSeed(const std::string& name);

} // namespace testing_support
