// One file or directory of a share, and its record on the wire.
#pragma once

#include "ft/FileAttributes.h"
#include "ft/ManagedVector.h"
#include "plat/String.h"

#include <cstdint>

namespace rdr {
class InStream;
class OutStream;
} // namespace rdr

namespace ft {

struct ShareEntry {
  enum Flags { Directory = 1, Hidden = 2, ReadOnly = 4 };

  // Decides which attribute blocks of a received entry are kept.
  class AttributeFilter {
  public:
    virtual ~AttributeFilter() {}
    virtual bool accept(const FileAttributes& block) = 0;
  };

  ShareEntry() : flags(0), size(0), ctime(0), atime(0), mtime(0) {}
  ShareEntry(const char* name, uint32_t flags, uint64_t size, uint64_t ctime, uint64_t atime,
             uint64_t mtime);
  // Copies the name, the numbers and a clone of every attribute block.
  ShareEntry(const ShareEntry& other);
  ShareEntry& operator=(const ShareEntry&) = delete;

  void write(rdr::OutStream& out) const;
  // Reads a record into this entry; attribute blocks are appended after the
  // filter.
  void read(rdr::InStream& in);
  // Refuses names that could leave the share's folder or that are not
  // UTF-8; throws plat::Exception. Over-long UTF-8 forms are rewritten in
  // their shortest form first, so that none hides a '/' or a '.'.
  void validateName();

  static uint32_t flagsFromWin32(uint32_t attributes);
  // The one process-wide filter (null: keep every block).
  static void setAttributeFilter(AttributeFilter* filter);

  plat::String name; // '/'-separated, relative to the share's root
  uint32_t flags;
  uint64_t size;
  uint64_t ctime; // Windows file times
  uint64_t atime;
  uint64_t mtime;
  ManagedVector<FileAttributes> attributes;
};

} // namespace ft
