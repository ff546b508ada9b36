// The failures of byte streams. Each is a plat::Exception with a fixed text,
// so callers that only log can treat them alike while the connection layer
// tells "wait for more data" (BlockException) from real errors.
#pragma once

#include "plat/Exception.h"

namespace rdr {

struct EndOfStream : plat::Exception {
  EndOfStream() : plat::Exception("End of stream") {}
};

struct EndOfMsg : plat::Exception {
  EndOfMsg() : plat::Exception("End of message") {}
};

// Not an error: the data has not arrived yet. The stream has been put back
// to its checkpoint, so the reader starts the same item again later.
struct BlockException : plat::Exception {
  BlockException() : plat::Exception("Reading from InStream would block") {}
};

struct FrameException : plat::Exception {
  explicit FrameException(const char* text) : plat::Exception(text) {}
};

struct OutStreamFull : plat::Exception {
  OutStreamFull() : plat::Exception("OutStream full") {}
};

struct StringTooLongException : plat::Exception {
  StringTooLongException() : plat::Exception("String exceeds maximum length") {}
};

} // namespace rdr
