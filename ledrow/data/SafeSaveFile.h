// Writes a file so that it is either replaced whole or left as it was:
// the data goes to "<target>.tmp", which commit() flushes to disk and moves
// over the target in one step. A file destroyed without a commit removes
// its temporary file.
#pragma once

#include "plat/String.h"

#include <cstdio>

namespace addrbook {

class SafeSaveFile {
public:
  SafeSaveFile() : file_(nullptr) {}
  SafeSaveFile(const SafeSaveFile&) = delete;
  SafeSaveFile& operator=(const SafeSaveFile&) = delete;
  ~SafeSaveFile();

  // Throws plat::SystemException "fileOpen(%s)" with the temporary name.
  void open(const char* target, bool binary);
  // All of it or a plat::Exception.
  void write(const void* data, int length);
  // Closes the temporary file with all its data on the disk, so that many
  // can wait for their commit without holding a file each. Throws
  // plat::SystemException "fclose(%s)".
  void finish();
  // Throws plat::Exception or plat::SystemException "fileRename(%s,%s)";
  // the target is then as it was and the temporary file gone.
  void commit();

private:
  // Closes the temporary file; false when its data did not all get out.
  bool close();

  FILE* file_;
  plat::String tempName_;
  plat::String target_;
};

} // namespace addrbook
