// Puts each file-transfer message into one framed message of the
// connection, but only when the connection's output has room for it: a
// writer that finds too little room writes nothing and returns 0, and the
// caller tries again in a later write cycle. No message is written in part.
// Data and listing messages are sized by a budget, a share of the free
// room set by FileTransferBias.
#pragma once

#include "ft/FileId.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace rdr {
class InStream;
} // namespace rdr

namespace rfb {
class MsgHandler;
class MsgWriter;
} // namespace rfb

namespace ft {

struct ShareEntry;

class MsgWriter {
public:
  // Walks the entries of a listing.
  class ShareEnum {
  public:
    virtual ~ShareEnum() {}
    // The entry at the cursor, or null at the end.
    virtual ShareEntry* current() = 0;
    virtual void next() = 0;
  };

  // The connection is not owned.
  explicit MsgWriter(rfb::MsgHandler* connection);
  MsgWriter(const MsgWriter&) = delete;
  MsgWriter& operator=(const MsgWriter&) = delete;
  ~MsgWriter();

  int writeShareCtrl(uint32_t shareId, uint8_t code, uint32_t flags);
  // Returns the number of entries sent; the enumerator moves past those and
  // past entries skipped because the peer could not read their names.
  int writeShareData(uint32_t shareId, ShareEnum& entries);
  int writeShareDataEOF(uint32_t shareId);
  int writeReqShare(uint32_t shareId, const char* relName, uint32_t depth);
  int writeReqFile(const char* path, const FileId& fileId, uint64_t upTo, uint64_t start,
                   uint64_t end, uint8_t flags);
  int writeUpdateByteLimit(const FileId& fileId, uint64_t upTo);
  // Sends the next bytes buffered in source (at most maxLen), deflated when
  // compress is set and FtCompress allows; returns the source bytes used.
  int writeFileData(const FileId& fileId, rdr::InStream& source, int maxLen, bool compress);
  bool writeFileEOF(const FileId& fileId);
  bool writeFileError(const FileId& fileId, const char* text);
  bool writeAbortFile(const FileId& fileId);
  int writeReleaseShare(uint32_t shareId);

  // Restarts the deflate stream: the peer restarts its inflate stream.
  void resetDeflate();
  // From now on nothing is written: the connection's output holds part of
  // a message, or the deflate stream has fallen out of step with the
  // peer's inflate stream.
  void shut() { shut_ = true; }
  bool isShut() const { return shut_; }
  // Whether data compresses below nine tenths of its size.
  static bool compressesWell(const uint8_t* data, int length);

  // The zlib call that deflates file data (zlib's deflate); tests put in
  // one that fails. Returns the one it replaces.
  typedef int (*DeflateFunction)(z_stream* stream, int flush);
  static DeflateFunction setDeflateFunction(DeflateFunction function);

  // The share of free room that the data and listing messages may take.
  static double bias();
  // space x bias, limited to minimum ... 16384.
  static int budget(int space, int minimum);

private:
  // The connection's writer when it has room for minimum bytes, else null.
  rfb::MsgWriter* writerWithRoom(const char* operation, int minimum, int* space);
  void logCounters();
  // A compressed message of the first bytes of data (avail of them at
  // most) that fit dataMax bytes whatever deflate makes of them; returns
  // the input used.
  int writeDeflated(rfb::MsgWriter* writer, const FileId& fileId, const uint8_t* data, int avail,
                    int dataMax);
  // The stream cannot go on: its input is used, and the peer's inflate
  // stream would not follow what comes next.
  void failDeflate(int result);

  rfb::MsgHandler* connection;
  bool shut_;
  // One stream for every file of the connection, with a sync flush per
  // message: each message inflates whole, and what the connection sent
  // before is the history that later messages refer to. Its counters are
  // the connection's compression statistics.
  z_stream deflater;
  std::vector<uint8_t> deflated;
};

} // namespace ft
