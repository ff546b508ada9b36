// Reads a small local file with plain reads: one read takes all of it, and
// a read that comes back short shows the end. An overlapped read of such a
// file costs more system calls (its completion, its event) than the read
// itself, and a read of a few kilobytes of a local file does not hold the
// thread up. A file that grew since it was listed is read on the same way.
#pragma once

#include "rdr/BufferedInStream.h"

#include <windows.h>

namespace ft {

class SmallFileInStream : public rdr::BufferedInStream {
public:
  // Files up to this size (from the read's start) are read this way.
  enum { Limit = 65536 };

  // Takes over the file (opened without FILE_FLAG_OVERLAPPED, at its start)
  // and closes it. Reading starts at offset; expected: the bytes the file
  // should hold from there, so that one read finds them and the end.
  SmallFileInStream(HANDLE file, uint64_t offset, uint64_t expected);
  ~SmallFileInStream() override;

protected:
  // Throws plat::SystemException "ReadFile" when a read fails.
  int readData(uint8_t* buffer, int length) override;

private:
  HANDLE file;
  bool atEnd;
};

} // namespace ft
