#include "rdr/CircularInStream.h"

#include "rdr/Exception.h"

#include <cstring>

namespace rdr {

CircularInStream::CircularInStream(int size_)
    : size(size_), offset(0), buffer(new uint8_t[size_]), writeAt(nullptr), closed(false),
      readerWrapped(false), writerWrapped(false) {
  writeAt = buffer;
  ptr = end = checkpointAt = buffer;
}

CircularInStream::~CircularInStream() {
  delete[] buffer;
}

int CircularInStream::space() const {
  ptrdiff_t room = (checkpointAt - writeAt) + size;
  if (writerWrapped)
    room -= size;
  return (int)room;
}

void CircularInStream::write(const void* data, int length) {
  if (length > space())
    throw Overflow();
  const uint8_t* in = (const uint8_t*)data;
  uint8_t* ringEnd = buffer + size;
  while (length > 0) {
    const uint8_t* limit = writerWrapped ? checkpointAt : ringEnd;
    int piece = length < limit - writeAt ? length : (int)(limit - writeAt);
    memcpy(writeAt, in, piece);
    writeAt += piece;
    in += piece;
    length -= piece;
    if (!writerWrapped)
      end = writeAt; // the reader sees the bytes at once
    if (writeAt == ringEnd && !writerWrapped) {
      writeAt = buffer;
      writerWrapped = true;
    }
  }
}

bool CircularInStream::overrun(int itemSize) {
  if (ptr != end)
    return true;
  if (ptr == buffer + size && !readerWrapped && writerWrapped) {
    offset += size;
    ptr = buffer;
    readerWrapped = true;
  }
  end = writerWrapped && !readerWrapped ? buffer + size : writeAt;
  if (ptr != end)
    return true;
  if (closed)
    throw EndOfStream();
  return false;
}

void CircularInStream::checkpoint() {
  if (readerWrapped) // reader and writer are on the same lap again
    readerWrapped = writerWrapped = false;
  InStream::checkpoint();
}

void CircularInStream::rewind() {
  if (readerWrapped) {
    offset -= size;
    readerWrapped = false;
  }
  ptr = checkpointAt;
  end = writerWrapped ? buffer + size : writeAt;
}

} // namespace rdr
