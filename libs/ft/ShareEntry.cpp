#include "ft/ShareEntry.h"

#include "ft/PduType.h"
#include "rdr/InStream.h"
#include "rdr/OutStream.h"

#include <cstring>
#include <memory>

namespace ft {

namespace {

ShareEntry::AttributeFilter* attributeFilter = nullptr;

bool validUtf8(char* text) {
  try {
    return plat::checkUtf8(text);
  } catch (plat::Exception&) { // a code point beyond Unicode
    return false;
  }
}

} // namespace

ShareEntry::ShareEntry(const char* name_, uint32_t flags_, uint64_t size_, uint64_t ctime_,
                       uint64_t atime_, uint64_t mtime_)
    : name(name_), flags(flags_), size(size_), ctime(ctime_), atime(atime_), mtime(mtime_) {}

ShareEntry::ShareEntry(const ShareEntry& other)
    : name(other.name), flags(other.flags), size(other.size), ctime(other.ctime),
      atime(other.atime), mtime(other.mtime) {
  for (const FileAttributes* block : other.attributes)
    attributes.push_back(block->clone());
}

void ShareEntry::write(rdr::OutStream& out) const {
  out.writeString(name.c_str());
  out.writeU64(size);
  out.writeU64(ctime);
  out.writeU64(atime);
  out.writeU64(mtime);
  out.writeU32(flags);
  out.writeU32((uint32_t)attributes.size());
  for (const FileAttributes* block : attributes)
    block->write(out);
}

void ShareEntry::read(rdr::InStream& in) {
  plat::String received = plat::String::adopt(in.readString(MaxStringLength));
  name = received.c_str();
  size = in.readU64();
  ctime = in.readU64();
  atime = in.readU64();
  mtime = in.readU64();
  flags = in.readU32();
  uint32_t count = in.readU32();
  for (uint32_t i = 0; i < count; i++) {
    std::unique_ptr<FileAttributes> block(new FileAttributes);
    block->read(in);
    if (!attributeFilter || attributeFilter->accept(*block))
      attributes.push_back(block.release());
  }
}

void ShareEntry::validateName() {
  if (name.isNull())
    name = "";
  if (!validUtf8(name.buf()))
    throw plat::Exception("Invalid UTF-8 filename");
  const char* piece = name.c_str();
  for (;;) {
    const char* slash = strchr(piece, '/');
    size_t length = slash ? (size_t)(slash - piece) : strlen(piece);
    if (length == 0)
      throw plat::Exception("Filename cannot contain empty path components");
    if ((length == 1 && piece[0] == '.') || (length == 2 && piece[0] == '.' && piece[1] == '.'))
      throw plat::Exception("Filename cannot be . or ..");
    if (!slash)
      break;
    piece = slash + 1;
  }
}

uint32_t ShareEntry::flagsFromWin32(uint32_t attributes) {
  uint32_t result = 0;
  if (attributes & 0x10) // FILE_ATTRIBUTE_DIRECTORY
    result |= Directory;
  if (attributes & 0x2) // FILE_ATTRIBUTE_HIDDEN
    result |= Hidden;
  if (attributes & 0x1) // FILE_ATTRIBUTE_READONLY
    result |= ReadOnly;
  return result;
}

void ShareEntry::setAttributeFilter(AttributeFilter* filter) {
  attributeFilter = filter;
}

} // namespace ft
