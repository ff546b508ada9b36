#include "ledrow/xml/FileOpen.h"
#include "ledrow/xml/Parser.h"

#include <cstdio>
#include <vector>

namespace xml {

ElementPtr parseFile(const char* path, const char* expectedRoot, ParseResult* result) {
  *result = ParseResult();
  FILE* file = openForReading(path);
  if (!file) {
    result->code = FileNotFound;
    return nullptr;
  }
  // Read one byte past the limit, so that an oversized file is noticed
  // without reading all of it.
  std::vector<char> data;
  char chunk[16384];
  size_t n;
  while (data.size() <= MaxDataSize && (n = fread(chunk, 1, sizeof(chunk), file)) > 0)
    data.insert(data.end(), chunk, chunk + n);
  bool failed = ferror(file) != 0;
  fclose(file);
  if (failed) {
    result->code = FileNotFound;
    return nullptr;
  }
  return parseText(data.data(), data.size(), expectedRoot, result);
}

} // namespace xml
