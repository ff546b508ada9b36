#include "ferrin/upload/win/IStreamPosition.h"

#include "plat/Exception.h"

namespace ft {

void skipIStream(IStream* stream, uint64_t offset) {
  if (offset == 0)
    return;
  LARGE_INTEGER move;
  move.QuadPart = (LONGLONG)offset;
  if (SUCCEEDED(stream->Seek(move, STREAM_SEEK_CUR, nullptr)))
    return;
  uint8_t scratch[8192];
  uint64_t done = 0;
  while (done < offset) {
    uint64_t left = offset - done;
    ULONG want = left < sizeof(scratch) ? (ULONG)left : (ULONG)sizeof(scratch);
    ULONG got = 0;
    HRESULT hr = stream->Read(scratch, want, &got);
    if (FAILED(hr))
      throw plat::SystemException("IStream::Read", (int)hr);
    if (got == 0)
      throw plat::ExceptionFmt("Can't seek to %llu: stream size is %llu",
                               (unsigned long long)offset, (unsigned long long)done);
    done += got;
  }
}

} // namespace ft
