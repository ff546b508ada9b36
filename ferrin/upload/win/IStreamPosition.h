// Moves a shell stream to where an upload resumes.
#pragma once

#include <cstdint>
#include <objidl.h>

namespace ft {

// Seeks offset bytes forward from the stream's current position; a stream
// that cannot seek is read and the bytes dropped, 8192 at a time. A stream
// shorter than offset throws plat::ExceptionFmt "Can't seek to %llu: stream
// size is %llu"; a failing read throws plat::SystemException.
void skipIStream(IStream* stream, uint64_t offset);

} // namespace ft
