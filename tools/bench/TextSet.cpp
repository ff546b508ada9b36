#include "TextSet.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>

namespace bench {

Bytes readWhole(const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) {
    fprintf(stderr, "cannot open %s\n", path);
    exit(1);
  }
  Bytes bytes;
  uint8_t buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + n);
  fclose(f);
  if (bytes.empty()) {
    fprintf(stderr, "%s is empty\n", path);
    exit(1);
  }
  return bytes;
}

Bytes repeated(const Bytes& bytes, size_t size) {
  Bytes out;
  out.reserve(size);
  while (out.size() < size) {
    size_t n = bytes.size() < size - out.size() ? bytes.size() : size - out.size();
    out.insert(out.end(), bytes.begin(), bytes.begin() + n);
  }
  return out;
}

Bytes deflatedPieces(const Bytes& bytes) {
  const size_t piece = 1 << 20;
  Bytes out;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    uLong length = (uLong)(bytes.size() - at < piece ? bytes.size() - at : piece);
    uLongf room = compressBound(length);
    size_t was = out.size();
    out.resize(was + room);
    compress2(out.data() + was, &room, bytes.data() + at, length, Z_BEST_COMPRESSION);
    out.resize(was + room);
  }
  return out;
}

Files mixedSet(const Bytes& text, const Bytes& program) {
  // Its headers and code: debugging information would outweigh the rest.
  size_t codeSize = program.size() < (1 << 20) ? program.size() : 1 << 20;
  Bytes code(program.begin(), program.begin() + codeSize);
  size_t half = text.size() / 2;
  Bytes first(text.begin(), text.begin() + half);
  Bytes second(text.begin() + half, text.end());
  return {first, deflatedPieces(first), code, second, deflatedPieces(second)};
}

uint64_t totalSize(const Files& files) {
  uint64_t total = 0;
  for (const Bytes& f : files)
    total += f.size();
  return total;
}

} // namespace bench
