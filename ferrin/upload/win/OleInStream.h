// An input stream over a COM IStream (file contents from another program's
// data object). Reads block in IStream::Read, so the upload reads it on a
// thread of its own (ThreadedOleInStream) unless MultiThreadedIStreams is
// off.
#pragma once

#include "rdr/BufferedInStream.h"

#include <objidl.h>

namespace ft {

class OleInStream : public rdr::BufferedInStream {
public:
  // Takes a reference of its own.
  explicit OleInStream(IStream* stream, int bufferSize = 0);
  ~OleInStream() override;

protected:
  // 0 bytes is the end of the stream; a failing Read throws, so that a
  // broken source is never mistaken for a short file.
  int readData(uint8_t* buffer, int length) override;

private:
  IStream* stream;
};

} // namespace ft
