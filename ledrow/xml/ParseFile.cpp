#include "ledrow/xml/FileOpen.h"
#include "ledrow/xml/Parser.h"

#include <algorithm>
#include <cstdio>

namespace xml {

namespace {

// The file's size when the system can tell it, or 0.
size_t sizeOf(FILE* file) {
  if (fseek(file, 0, SEEK_END) != 0)
    return 0;
  long size = ftell(file);
  rewind(file);
  return size > 0 ? (size_t)size : 0;
}

} // namespace

bool readFile(const char* path, std::vector<char>* data, ParseResult* result) {
  *result = ParseResult();
  data->clear();
  FILE* file = openForReading(path);
  if (!file) {
    result->code = FileNotFound;
    return false;
  }
  // Read one byte past the limit, so that an oversized file is noticed
  // without reading all of it. A buffer sized to the file from the start
  // holds it without ever being copied.
  const size_t limit = (size_t)MaxDataSize + 1;
  size_t size = sizeOf(file);
  data->reserve(size < limit ? size + 1 : limit);
  char chunk[16384];
  size_t n;
  while (data->size() < limit &&
         (n = fread(chunk, 1, std::min(sizeof(chunk), limit - data->size()), file)) > 0)
    data->insert(data->end(), chunk, chunk + n);
  bool failed = ferror(file) != 0;
  fclose(file);
  if (failed) {
    data->clear();
    result->code = FileNotFound;
    return false;
  }
  return true;
}

ElementPtr parseFile(const char* path, const char* expectedRoot, ParseResult* result) {
  std::vector<char> data;
  if (!readFile(path, &data, result))
    return nullptr;
  return parseText(data.data(), data.size(), expectedRoot, result);
}

} // namespace xml
