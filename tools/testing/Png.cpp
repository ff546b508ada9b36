#include "testing/Png.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

namespace testing_support {

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back((uint8_t)(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  put32(out, (uint32_t)data.size());
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, out.data() + start, (uInt)(out.size() - start));
  put32(out, (uint32_t)crc);
}

} // namespace

std::vector<uint8_t> encodePng(int width, int height, const uint8_t* rgb) {
  static const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<uint8_t> out(signature, signature + 8);

  std::vector<uint8_t> header;
  put32(header, (uint32_t)width);
  put32(header, (uint32_t)height);
  header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter set, no interlace
  chunk(out, "IHDR", header);

  // Every row starts with filter type 0 (none).
  size_t rowBytes = (size_t)width * 3;
  std::vector<uint8_t> raw;
  raw.reserve((rowBytes + 1) * height);
  for (int y = 0; y < height; y++) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb + y * rowBytes, rgb + (y + 1) * rowBytes);
  }
  uLongf packedSize = compressBound((uLong)raw.size());
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), (uLong)raw.size(), 9) != Z_OK)
    throw std::runtime_error("compress2 failed");
  packed.resize(packedSize);
  chunk(out, "IDAT", packed);
  chunk(out, "IEND", {});
  return out;
}

bool writePng(const std::string& path, int width, int height, const uint8_t* rgb) {
  std::vector<uint8_t> png = encodePng(width, height, rgb);
  FILE* file = fopen(path.c_str(), "wb");
  if (!file)
    return false;
  bool ok = fwrite(png.data(), 1, png.size(), file) == png.size();
  return fclose(file) == 0 && ok;
}

} // namespace testing_support
