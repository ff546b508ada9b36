#include "ferrin/upload/win/OleInStream.h"

#include "plat/Exception.h"
#include "rdr/Exception.h"

namespace ft {

OleInStream::OleInStream(IStream* stream_, int bufferSize)
    : rdr::BufferedInStream(bufferSize), stream(stream_) {
  stream->AddRef();
}

OleInStream::~OleInStream() {
  stream->Release();
}

int OleInStream::readData(uint8_t* buffer, int length) {
  ULONG read = 0;
  HRESULT hr = stream->Read(buffer, (ULONG)length, &read);
  if (FAILED(hr))
    throw plat::SystemException("IStream::Read", (int)hr);
  if (read == 0)
    throw rdr::EndOfStream();
  return (int)read;
}

} // namespace ft
