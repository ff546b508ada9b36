// A PNG writer for screenshots: 8-bit RGB, no interlace, one zlib stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// rgb holds height rows of width pixels, 3 bytes each, top row first.
std::vector<uint8_t> encodePng(int width, int height, const uint8_t* rgb);

// False when the file cannot be written.
bool writePng(const std::string& path, int width, int height, const uint8_t* rgb);

} // namespace testing_support
