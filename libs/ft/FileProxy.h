// A file of a local share: a share entry that can open its contents for
// reading. The kinds (files named by a path, file contents of another
// program's data object) live with the front end.
#pragma once

#include "ft/ShareEntry.h"

#include <cstdint>

namespace rdr {
class InStream;
} // namespace rdr

namespace rfb {
class MsgHandler;
} // namespace rfb

namespace ft {

class Extension;

class FileProxy : public ShareEntry {
public:
  FileProxy(const char* name, uint32_t flags, uint64_t size, uint64_t ctime, uint64_t atime,
            uint64_t mtime)
      : ShareEntry(name, flags, size, ctime, atime, mtime) {}
  virtual ~FileProxy() {}

  // A new stream over the contents from offset on; the caller owns it. The
  // stream never blocks: when it has no data yet it says so ("would block")
  // and later asks owner->scheduleWriteMsg(connection) to resume the upload.
  // Throws plat::Exception when the file cannot be opened.
  virtual rdr::InStream* open(uint64_t offset, rfb::MsgHandler* connection, Extension* owner) = 0;
};

} // namespace ft
