#include "ferrin/FileGroupDescriptor.h"

#include "plat/Exception.h"

#include <cstring>
#include <limits>

namespace ft {

namespace {

// Offsets within one record.
enum {
  FlagsAt = 0,
  AttributesAt = 36,
  CreationAt = 40,
  AccessAt = 48,
  WriteAt = 56,
  SizeHighAt = 64,
  SizeLowAt = 68,
  NameAt = 72
};

void putU32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; i++)
    at[i] = (uint8_t)(value >> (8 * i));
}

void putU64(uint8_t* at, uint64_t value) {
  putU32(at, (uint32_t)value);
  putU32(at + 4, (uint32_t)(value >> 32));
}

uint32_t getU32(const uint8_t* at) {
  return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

uint64_t getU64(const uint8_t* at) { return getU32(at) | (uint64_t)getU32(at + 4) << 32; }

} // namespace

size_t FileGroupDescriptor::blockSize(uint64_t count) {
  // In 64 bits: (count + 1) x 592 must neither wrap nor outgrow one block,
  // and the count must fit its 32-bit field.
  const uint64_t limit = std::numeric_limits<size_t>::max() / 2;
  if (count >= UINT32_MAX || (count + 1) > limit / WideRecordSize)
    throw plat::Exception("Too many files for a file group descriptor");
  return (size_t)((count + 1) * WideRecordSize);
}

void FileGroupDescriptor::writeCount(uint8_t* block, uint32_t count) { putU32(block, count); }

void FileGroupDescriptor::writeRecord(uint8_t* block, uint32_t index,
                                      const FileDescriptorRecord& record, bool wide) {
  uint8_t* at = block + HeaderSize + (size_t)index * recordSize(wide);
  memset(at, 0, recordSize(wide));
  putU32(at + FlagsAt, record.flags);
  putU32(at + AttributesAt, record.attributes);
  putU64(at + CreationAt, record.ctime);
  putU64(at + AccessAt, record.atime);
  putU64(at + WriteAt, record.mtime);
  putU32(at + SizeHighAt, (uint32_t)(record.size >> 32));
  putU32(at + SizeLowAt, (uint32_t)record.size);
  // The 260th character stays NUL.
  if (wide) {
    size_t n = record.wideName.size() < NameChars - 1 ? record.wideName.size() : NameChars - 1;
    for (size_t i = 0; i < n; i++) {
      at[NameAt + 2 * i] = (uint8_t)record.wideName[i];
      at[NameAt + 2 * i + 1] = (uint8_t)(record.wideName[i] >> 8);
    }
  } else {
    size_t n =
        record.narrowName.size() < NameChars - 1 ? record.narrowName.size() : NameChars - 1;
    memcpy(at + NameAt, record.narrowName.data(), n);
  }
}

FileGroupDescriptor::FileGroupDescriptor(const void* block, size_t size, bool wide)
    : block_(static_cast<const uint8_t*>(block)), wide_(wide), claimed_(0), count_(0) {
  if (!block_ || size < HeaderSize)
    return;
  claimed_ = getU32(block_);
  uint64_t fit = (size - HeaderSize) / recordSize(wide);
  count_ = (uint64_t)claimed_ < fit ? claimed_ : (uint32_t)fit;
}

FileDescriptorRecord FileGroupDescriptor::record(uint32_t index) const {
  if (index >= count_)
    throw plat::Exception("FileDescriptor index out of bounds");
  const uint8_t* at = block_ + HeaderSize + (size_t)index * recordSize(wide_);
  FileDescriptorRecord r;
  r.flags = getU32(at + FlagsAt);
  r.attributes = getU32(at + AttributesAt);
  r.ctime = getU64(at + CreationAt);
  r.atime = getU64(at + AccessAt);
  r.mtime = getU64(at + WriteAt);
  r.size = (uint64_t)getU32(at + SizeHighAt) << 32 | getU32(at + SizeLowAt);
  const uint8_t* name = at + NameAt;
  for (size_t i = 0; i < NameChars; i++) {
    if (wide_) {
      char16_t unit = (char16_t)(name[2 * i] | name[2 * i + 1] << 8);
      if (!unit)
        break;
      r.wideName.push_back(unit);
    } else {
      if (!name[i])
        break;
      r.narrowName.push_back((char)name[i]);
    }
  }
  return r;
}

} // namespace ft
