#include "ft/FileAttributes.h"

#include "ft/ShareEntry.h"
#include "rdr/InStream.h"
#include "rdr/OutStream.h"

#include <cstring>
#include <memory>

namespace ft {

namespace {

const uint32_t FileAttributeReadOnly = 0x1;
const uint32_t FileAttributeHidden = 0x2;
const uint32_t FileAttributeDirectory = 0x10;
const uint32_t FileAttributeNormal = 0x80;

} // namespace

FileAttributes::FileAttributes(const char* tag_, const void* data_, int dataLength_)
    : tag(tag_), dataLength(dataLength_), data(new uint8_t[dataLength_ > 0 ? dataLength_ : 1]) {
  if (dataLength > 0)
    memcpy(data, data_, dataLength);
}

FileAttributes::~FileAttributes() {
  delete[] data;
}

int FileAttributes::tagLength() const {
  int n = tag.length();
  return n > 255 ? 255 : n;
}

int FileAttributes::size() const {
  return tagLength() + dataLength + 5;
}

void FileAttributes::write(rdr::OutStream& out) const {
  out.writeU8((uint8_t)tagLength());
  out.write(tag.c_str(), tagLength());
  out.writeU32((uint32_t)dataLength);
  out.write(data, dataLength);
}

void FileAttributes::read(rdr::InStream& in) {
  int n = in.readU8();
  uint8_t tagBuf[255];
  const uint8_t* tagBytes = in.readBytes(tagBuf, n);
  char* tagText = new char[n + 1]; // the bytes are not NUL-terminated
  memcpy(tagText, tagBytes, n);
  tagText[n] = 0;
  plat::String newTag = plat::String::adopt(tagText);
  uint32_t length = in.readU32();
  if (length > MaxDataLength)
    throw plat::ExceptionFmt("Attribute block of %u bytes is too long", length);
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[length ? length : 1]);
  const uint8_t* body = in.readBytes(bytes.get(), (int)length);
  if (body != bytes.get())
    memcpy(bytes.get(), body, length);
  tag = std::move(newTag);
  delete[] data;
  data = bytes.release();
  dataLength = (int)length;
}

FileAttributes* FileAttributes::clone() const {
  return new FileAttributes(tag.c_str(), data, dataLength);
}

FileAttributes* FileAttributes::makeWin32(uint32_t attributes) {
  const uint8_t word[4] = {(uint8_t)(attributes >> 24), (uint8_t)(attributes >> 16),
                           (uint8_t)(attributes >> 8), (uint8_t)attributes};
  return new FileAttributes("WIN32", word, 4);
}

bool FileAttributes::isWin32(const FileAttributes& block) {
  return plat::strCaseCmp(block.getTag(), "WIN32") == 0 && block.dataLength == 4;
}

uint32_t FileAttributes::win32Attributes(const ShareEntry& entry) {
  for (const FileAttributes* block : entry.attributes) {
    if (isWin32(*block)) {
      const uint8_t* d = block->data;
      return (uint32_t)d[0] << 24 | (uint32_t)d[1] << 16 | (uint32_t)d[2] << 8 | d[3];
    }
  }
  if (entry.flags == 0)
    return FileAttributeNormal;
  uint32_t attributes = 0;
  if (entry.flags & ShareEntry::Directory)
    attributes |= FileAttributeDirectory;
  if (entry.flags & ShareEntry::ReadOnly)
    attributes |= FileAttributeReadOnly;
  if (entry.flags & ShareEntry::Hidden)
    attributes |= FileAttributeHidden;
  return attributes;
}

} // namespace ft
