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

class DeflateAhead;
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
  // With ahead, the deflated data comes from its segments, which it fills
  // from the source.
  int writeFileData(const FileId& fileId, rdr::InStream& source, int maxLen, bool compress,
                    DeflateAhead* ahead = nullptr);
  bool writeFileEOF(const FileId& fileId);
  bool writeFileError(const FileId& fileId, const char* text);
  bool writeAbortFile(const FileId& fileId);
  int writeReleaseShare(uint32_t shareId);

  // The peer restarts its inflate stream: the next compressed message opens
  // a new stream.
  void resetDeflate();
  // From now on nothing is written: the connection's output holds part of
  // a message, or its deflated data could not be made.
  void shut() { shut_ = true; }
  bool isShut() const { return shut_; }
  // Whether data compresses below nine tenths of its size.
  static bool compressesWell(const uint8_t* data, int length);
  // The level of deflated data: the fastest, since at the default one
  // deflating takes longer than sending the plain data over a fast link,
  // and the peer inflates either.
  static const int DeflateLevel = Z_BEST_SPEED;

  // The share of free room that the data and listing messages may take.
  static double bias();
  // space x bias, limited to minimum ... 16384.
  static int budget(int space, int minimum);

private:
  // The connection's writer when it has room for minimum bytes, else null.
  rfb::MsgWriter* writerWithRoom(const char* operation, int minimum, int* space);
  void logCounters();
  // The most output a compressed message may hold whatever its budget:
  // 95 % of the room, at most the largest budget (at least dataMax).
  static int ceiling(int space, int dataMax);
  // The input of the next segment of a message that holds length bytes.
  int nextSegment(int length, int dataMax, int ceiling) const;
  // Deflates up to avail bytes of data into deflated, meant to fill about
  // dataMax bytes and never more than ceiling; returns their number and
  // sets *consumed to the input used.
  int deflateInto(const uint8_t* data, int avail, int dataMax, int ceiling, int* consumed);
  // A compressed message of avail bytes of data or what of them fits,
  // deflated here; returns the input used.
  int writeDeflated(rfb::MsgWriter* writer, const FileId& fileId, const uint8_t* data, int avail,
                    int dataMax, int ceiling);
  // A compressed message of the ready segments of ahead that fit; returns
  // the input they carry.
  int writeSegments(rfb::MsgWriter* writer, const FileId& fileId, DeflateAhead& ahead,
                    int window, int dataMax, int ceiling);
  // Starts a compressed message of length bytes (the stream header
  // included, when due) and writes that header.
  rdr::OutStream* startCompressed(rfb::MsgWriter* writer, const FileId& fileId, int length);
  void endCompressed(rfb::MsgWriter* writer, rdr::OutStream* os);
  // Bytes the stream header adds to the next compressed message.
  int headerLength() const { return headerDue ? 2 : 0; }
  // The input of a segment cut ahead: as much as fills most of the budget
  // of an idle connection at the upload's last ratio.
  int aheadSegment(const DeflateAhead& ahead) const;
  // The connection cannot go on after a failed segment.
  void failDeflate(int result);

  rfb::MsgHandler* connection;
  bool shut_;
  // The next compressed message opens the peer's inflate stream.
  bool headerDue;
  // The most room seen: the connection's room when idle.
  int largestSpace;
  // The compression statistics: input and output of compressed messages.
  uint64_t totalIn;
  uint64_t totalOut;
  // Output per input byte of the last segment deflated (1 at first).
  double lastRatio;
  std::vector<uint8_t> deflated;
};

} // namespace ft
