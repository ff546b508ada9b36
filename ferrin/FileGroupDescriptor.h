// The layout of a "FileGroupDescriptorW" or "FileGroupDescriptor" block:
// a 32-bit count, then one record per virtual file (592 bytes with UTF-16
// names, 332 with names in a code page): flags, class id, size and point
// (not used here), attributes, creation, access and write times, the size
// as high and low halves, and a name of at most 259 characters that is
// always terminated within its 260. Little-endian, as Windows lays it out.
//
// Blocks that other programs put on the clipboard are read only within
// their size: the count is cut to the records that fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ft {

struct FileDescriptorRecord {
  enum { HasAttributes = 0x4, HasTimes = 0x38, HasSize = 0x40, ShowsProgress = 0x4000 };

  uint32_t flags = 0;
  uint32_t attributes = 0;
  uint64_t ctime = 0;
  uint64_t atime = 0;
  uint64_t mtime = 0;
  uint64_t size = 0;
  // The name in the record's form: UTF-16 units, or code-page bytes.
  std::u16string wideName;
  std::string narrowName;
};

class FileGroupDescriptor {
public:
  enum { HeaderSize = 4, WideRecordSize = 592, NarrowRecordSize = 332, NameChars = 260 };

  // The bytes a block for count records takes: (count + 1) x 592 for both
  // forms. Throws plat::Exception "Too many files for a file group
  // descriptor" when that cannot be allocated in one block.
  static size_t blockSize(uint64_t count);
  // Writes the count; records follow with writeRecord. The block holds
  // blockSize(count) bytes.
  static void writeCount(uint8_t* block, uint32_t count);
  // A name longer than 259 characters is cut there.
  static void writeRecord(uint8_t* block, uint32_t index, const FileDescriptorRecord& record,
                          bool wide);

  // Reads a block of size bytes; a block too short for the count holds no
  // records.
  FileGroupDescriptor(const void* block, size_t size, bool wide);

  // The records that lie inside the block.
  uint32_t count() const { return count_; }
  // Whether the block claimed more records than it holds.
  bool truncated() const { return claimed_ != count_; }
  // Throws plat::Exception "FileDescriptor index out of bounds" for an index
  // at or beyond count(). The name ends at its first NUL or after 260.
  FileDescriptorRecord record(uint32_t index) const;

private:
  static size_t recordSize(bool wide) { return wide ? WideRecordSize : NarrowRecordSize; }

  const uint8_t* block_;
  bool wide_;
  uint32_t claimed_;
  uint32_t count_;
};

} // namespace ft
