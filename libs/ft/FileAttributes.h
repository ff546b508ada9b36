// One attribute block riding on a share entry: a tag and opaque bytes. The
// one tag in use is "WIN32", whose data is the file's Windows attribute word.
#pragma once

#include "plat/String.h"

#include <cstdint>

namespace rdr {
class InStream;
class OutStream;
} // namespace rdr

namespace ft {

struct ShareEntry;

class FileAttributes {
public:
  // A peer's block is held in memory before it is looked at: larger ones are
  // refused as a protocol error.
  enum { MaxDataLength = 65536 };

  FileAttributes() : dataLength(0), data(nullptr) {}
  FileAttributes(const char* tag, const void* data, int dataLength);
  FileAttributes(const FileAttributes&) = delete;
  FileAttributes& operator=(const FileAttributes&) = delete;
  virtual ~FileAttributes();

  // Bytes on the wire.
  virtual int size() const;
  virtual void write(rdr::OutStream& out) const;
  virtual void read(rdr::InStream& in);
  virtual FileAttributes* clone() const;

  const char* getTag() const { return tag.c_str(); }
  int getDataLength() const { return dataLength; }
  const uint8_t* getData() const { return data; }

  static FileAttributes* makeWin32(uint32_t attributes);
  static bool isWin32(const FileAttributes& block);
  // The entry's first WIN32 word, or one made from its flags.
  static uint32_t win32Attributes(const ShareEntry& entry);

private:
  // The tag as written: at most 255 bytes.
  int tagLength() const;

  plat::String tag;
  int dataLength;
  uint8_t* data;
};

} // namespace ft
