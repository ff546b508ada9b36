#include "ferrin/upload/win/SmallFileInStream.h"

#include "plat/CallCounter.h"
#include "plat/Exception.h"
#include "rdr/Exception.h"

namespace ft {

static plat::CallCounter reads("upload.read.plain");

namespace {

// One more byte than expected, so that a file of the expected size comes
// back short at once; the page a tiny file's buffer takes anyway.
int bufferFor(uint64_t expected) {
  uint64_t size = expected + 1;
  if (size < 4096)
    return 4096;
  return size < (uint64_t)SmallFileInStream::Limit * 2 ? (int)size : SmallFileInStream::Limit * 2;
}

} // namespace

SmallFileInStream::SmallFileInStream(HANDLE file_, uint64_t offset, uint64_t expected)
    : BufferedInStream(bufferFor(expected)), file(file_), atEnd(false) {
  if (offset == 0)
    return;
  LARGE_INTEGER at;
  at.QuadPart = (LONGLONG)offset;
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
    DWORD error = GetLastError();
    CloseHandle(file);
    throw plat::SystemException("SetFilePointerEx", (int)error);
  }
}

SmallFileInStream::~SmallFileInStream() {
  CloseHandle(file);
}

int SmallFileInStream::readData(uint8_t* buffer, int length) {
  if (atEnd)
    throw rdr::EndOfStream();
  reads.add();
  DWORD bytes = 0;
  if (!ReadFile(file, buffer, (DWORD)length, &bytes, nullptr)) {
    DWORD error = GetLastError();
    if (error != ERROR_HANDLE_EOF)
      throw plat::SystemException("ReadFile", (int)error);
    bytes = 0;
  }
  // A local file reads short only at its end.
  atEnd = bytes < (DWORD)length;
  if (bytes == 0)
    throw rdr::EndOfStream();
  return (int)bytes;
}

} // namespace ft
