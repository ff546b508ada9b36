// Connection files come from disk, from XML imports and from the viewer's
// "Save Connection". Whatever the bytes, reading either fails with an
// exception or gives options that either are refused by the writer (a line
// grown past the limit, such as a host with its port merged in) or write
// out as a file which reads back to the same options (the same text again).
#include "ledrow/data/ConnOptions.h"
#include "rdr/MemInStream.h"
#include "rdr/MemOutStream.h"

#include <cstdlib>
#include <cstring>
#include <string>

using namespace addrbook;

static std::string writeOut(CConnOptions& o) {
  rdr::MemOutStream out;
  o.write(out, true, false, nullptr);
  return std::string((const char*)out.data(), out.length());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536)
    return 0;
  CConnOptions first;
  try {
    rdr::MemInStream in(data, (int)size);
    first.read(in);
  } catch (const plat::Exception&) {
    return 0;
  }
  std::string text;
  try {
    text = writeOut(first);
  } catch (const plat::Exception&) {
    // Only the merged host can outgrow what was read.
    if (strlen(first.getHost()) + strlen("Host=") <= CConnOptions::MaxLineLength)
      abort();
    return 0;
  }

  CConnOptions second;
  rdr::MemInStream in(text.data(), (int)text.size());
  second.read(in); // a written file always reads
  if (writeOut(second) != text || !second.equals(first))
    abort();
  return 0;
}
