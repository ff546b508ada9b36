#include "WireFigures.h"

#include "ft/PduType.h"
#include "plat/Exception.h"
#include "rdr/InStreamV4.h"
#include "rdr/MemInStream.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>

namespace bench {

namespace {

void fail(const char* what) {
  fprintf(stderr, "the recorded wire does not read: %s\n", what);
  exit(1);
}

// The peer's inflate stream, and the yardstick's deflate stream.
class Reader {
public:
  Reader() : compressed(65536), data(1 << 17), out(1 << 17) {
    if (inflateInit(&inflater) != Z_OK || deflateInit(&yardstick, Z_DEFAULT_COMPRESSION) != Z_OK)
      fail("zlib");
  }
  ~Reader() {
    inflateEnd(&inflater);
    deflateEnd(&yardstick);
  }

  void readMessage(rdr::InStream& in, WireFigures* figures) {
    uint32_t type = in.readU32();
    if (type != ft::FileData && type != ft::CompressedFileData)
      return;
    in.skip(8); // the file id
    int length = in.readU16();
    if (type == ft::FileData) {
      in.skip(length);
      figures->fileBytes += length;
      return;
    }
    inflater.next_in = (Bytef*)in.readBytes(compressed.data(), length);
    inflater.avail_in = (uInt)length;
    inflater.next_out = data.data();
    inflater.avail_out = (uInt)data.size();
    if (inflate(&inflater, Z_SYNC_FLUSH) != Z_OK || inflater.avail_in > 0)
      fail("inflate");
    uInt inflated = (uInt)data.size() - inflater.avail_out;
    yardstick.next_in = data.data();
    yardstick.avail_in = inflated;
    yardstick.next_out = out.data();
    yardstick.avail_out = (uInt)out.size();
    if (deflate(&yardstick, Z_SYNC_FLUSH) != Z_OK || yardstick.avail_in > 0)
      fail("deflate");
    figures->fileBytes += inflated;
    figures->deflated += length;
    figures->oneStream += out.size() - yardstick.avail_out;
    figures->messages++;
  }

private:
  z_stream inflater = {};
  z_stream yardstick = {};
  std::vector<uint8_t> compressed, data, out;
};

} // namespace

double WireFigures::againstOneStream() const {
  uint64_t yardstick = wireBytes - deflated + oneStream;
  return yardstick ? (double)wireBytes / yardstick : 0;
}

WireFigures measureWire(const std::vector<uint8_t>& wire) {
  WireFigures figures;
  figures.wireBytes = wire.size();
  Reader reader;
  rdr::MemInStream bytes(wire.data(), (int)wire.size());
  rdr::InStreamV4 in(&bytes);
  try {
    while (bytes.avail() > 0) {
      in.startMsg();
      reader.readMessage(in, &figures);
      in.skipMsg();
      in.endMsg();
    }
  } catch (plat::Exception& e) {
    fail(e.str());
  }
  return figures;
}

} // namespace bench
