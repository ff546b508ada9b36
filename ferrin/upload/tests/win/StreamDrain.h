// Reads an upload source to its end the way the upload does: take what is
// there, and when the stream says "would block", serve the thread's events
// until it has more.
#pragma once

#include "plat/Exception.h"
#include "rdr/Exception.h"
#include "rdr/InStream.h"
#include "testing/EventPump.h"

#include <string>

namespace testing_support {

struct Drained {
  std::string data;
  bool ended = false;  // rdr::EndOfStream
  std::string failure; // any other exception
};

// Takes what the stream holds now; true when it ended or failed.
inline bool takeAvailable(rdr::InStream& in, Drained* out) {
  try {
    while (in.check(false, 1)) {
      out->data.append((const char*)in.getptr(), in.avail());
      in.skip(in.avail());
      in.checkpoint();
    }
  } catch (rdr::EndOfStream&) {
    out->ended = true;
    return true;
  } catch (plat::Exception& e) {
    out->failure = e.str();
    return true;
  }
  return false;
}

inline Drained drain(rdr::InStream& in, int deadlineMs = 20000) {
  Drained out;
  pumpUntil([&] { return takeAvailable(in, &out); }, deadlineMs);
  return out;
}

// Bytes that show a misplaced or repeated piece.
inline std::string pattern(size_t length, unsigned seed = 0) {
  std::string data(length, 0);
  for (size_t i = 0; i < length; i++)
    data[i] = (char)((i * 7 + i / 251 + seed) & 0xFF);
  return data;
}

} // namespace testing_support
