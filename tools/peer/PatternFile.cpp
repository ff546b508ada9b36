#include "PatternFile.h"

#include "ft/FileAttributes.h"
#include "rdr/BufferedInStream.h"
#include "rdr/Exception.h"
#include "testing/Pattern.h"

namespace peer {

namespace {

class PatternInStream : public rdr::BufferedInStream {
public:
  PatternInStream(uint32_t seed, uint64_t offset, uint64_t size)
      : rdr::BufferedInStream(65536), seed(seed), at(offset), size(size) {}

protected:
  int readData(uint8_t* buffer, int length) override {
    if (at >= size)
      throw rdr::EndOfStream();
    int n = size - at < (uint64_t)length ? (int)(size - at) : length;
    testing_support::fillPattern(seed, at, (char*)buffer, (size_t)n);
    at += n;
    return n;
  }

private:
  uint32_t seed;
  uint64_t at;
  uint64_t size;
};

} // namespace

PatternFile::PatternFile(const testing_support::VirtualEntry& entry)
    : ft::FileProxy(entry.name.c_str(), entry.directory ? ft::ShareEntry::Directory : 0,
                    entry.size, 1, 2, 3) {
  attributes.push_back(ft::FileAttributes::makeWin32(entry.directory ? 0x10 : 0x80));
}

rdr::InStream* PatternFile::open(uint64_t offset, rfb::MsgHandler*, ft::Extension*) {
  if (flags & Directory)
    throw plat::Exception("Is a directory");
  return new PatternInStream(testing_support::patternSeed(name.c_str()), offset, size);
}

std::vector<ft::FileProxy*> patternEntries(const std::vector<testing_support::VirtualEntry>& tree) {
  std::vector<ft::FileProxy*> entries;
  for (const testing_support::VirtualEntry& entry : tree)
    entries.push_back(new PatternFile(entry));
  return entries;
}

} // namespace peer
