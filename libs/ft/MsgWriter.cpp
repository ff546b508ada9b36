#include "ft/MsgWriter.h"

#include "ft/DeflateAhead.h"
#include "ft/Parameters.h"
#include "ft/PduType.h"
#include "ft/ShareEntry.h"
#include "plat/LogWriter.h"
#include "plat/ThreadLocal.h"
#include "rdr/InStream.h"
#include "rdr/MemOutStream.h"
#include "rfb/MsgHandler.h"
#include "rfb/MsgWriter.h"

#include <cstring>

namespace ft {

namespace {

plat::LogWriter vlog("FTMsgWriter");

const char* const extensionName = "FileTransfer";

// The largest budget of one data or listing message.
const int MaxBudget = 16384;
// The head of a FileData message: type, file id, length.
const int FileDataHead = 14;
const int FileDataMinimum = 114;

// Length of text cut to the peer's string cap, at a UTF-8 character
// boundary.
int cutLength(const char* text) {
  int length = (int)strlen(text);
  if (length <= MaxStringLength)
    return length;
  length = MaxStringLength;
  while (length > 0 && ((unsigned char)text[length] & 0xC0) == 0x80)
    length--;
  return length;
}

// Below this much input a further segment costs more than it carries.
const int MinSegmentInput = 1024;

// The share of the budget left that a segment sized by the last one's
// ratio is meant to fill, so that data a little less compressible than the
// last still fits.
const double PredictedShare = 0.8;

// The zlib stream header at the fastest level: CM 8 with a 32 KiB window,
// FLEVEL 0, and the check bits that make the pair a multiple of 31.
const uint8_t StreamHeader[2] = {0x78, 0x01};
static_assert(MsgWriter::DeflateLevel == Z_BEST_SPEED, "the header names the fastest level");
static_assert((0x78 * 256 + 0x01) % 31 == 0, "the header's check bits");

} // namespace

MsgWriter::MsgWriter(rfb::MsgHandler* connection_)
    : connection(connection_), shut_(false), headerDue(true), largestSpace(0), totalIn(0),
      totalOut(0), lastRatio(1) {}

MsgWriter::~MsgWriter() {
  logCounters();
}

void MsgWriter::logCounters() {
  vlog.debug("uncompressed: %llu, compressed: %llu", (unsigned long long)totalIn,
             (unsigned long long)totalOut);
}

void MsgWriter::resetDeflate() {
  logCounters();
  totalIn = totalOut = 0;
  headerDue = true;
  lastRatio = 1;
}

double MsgWriter::bias() {
  double b = fileTransferBias / 100.0;
  if (b < 0)
    return 0;
  return b > 0.95 ? 0.95 : b;
}

int MsgWriter::budget(int space, int minimum) {
  int b = (int)(space * bias());
  if (b > MaxBudget)
    b = MaxBudget;
  return b < minimum ? minimum : b;
}

rfb::MsgWriter* MsgWriter::writerWithRoom(const char* operation, int minimum, int* space) {
  if (shut_)
    return nullptr;
  rfb::MsgWriter* writer = connection->getWriter();
  if (!writer) {
    vlog.warning("%s: no writer for connection", operation);
    return nullptr;
  }
  *space = writer->space(extensionName);
  return *space < minimum ? nullptr : writer;
}

int MsgWriter::writeShareCtrl(uint32_t shareId, uint8_t code, uint32_t flags) {
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeShareCtrl", 13, &space);
  if (!writer)
    return 0;
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(ShareCtrl);
  os->writeU32(shareId);
  os->writeU8(code);
  os->writeU32(flags);
  writer->endMsg();
  vlog.info("%s share %lu, flags 0x%x", code == 0 ? "Advertised" : "Withdrew",
            (unsigned long)shareId, flags);
  return 13;
}

int MsgWriter::writeShareData(uint32_t shareId, ShareEnum& entries) {
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeShareData", 0, &space);
  if (!writer)
    return 0;
  rdr::MemOutStream marshalled;
  int counted = 0;
  int countedBytes = 0;
  int limit = -1;
  while (ShareEntry* entry = entries.current()) {
    if (entry->name.length() > MaxStringLength) {
      // The peer would refuse the whole connection for it.
      vlog.error("Skipping '%.64s...': name of %d bytes is too long to send", entry->name.c_str(),
                 entry->name.length());
      entries.next();
      continue;
    }
    entry->write(marshalled);
    if (limit < 0) {
      int need = marshalled.length() + 12;
      if (space < need)
        limit = 0;
      else {
        int biased = (int)(space * bias());
        limit = biased < MaxBudget ? biased : MaxBudget;
        if (limit < need)
          limit = need;
      }
    }
    if (marshalled.length() + 12 > limit)
      break;
    countedBytes = marshalled.length();
    counted++;
    entries.next();
  }
  if (counted > 0) {
    rdr::OutStream* os = writer->startExtMsg(extensionName);
    os->writeU32(ShareData);
    os->writeU32(shareId);
    os->writeU32((uint32_t)counted);
    os->write(marshalled.data(), countedBytes);
    writer->endMsg();
  }
  vlog.info("Sent %i filename(s), marshalled=%i", counted, marshalled.length());
  return counted;
}

int MsgWriter::writeShareDataEOF(uint32_t shareId) {
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeShareDataEOF", 12, &space);
  if (!writer)
    return 0;
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(ShareData);
  os->writeU32(shareId);
  os->writeU32(0);
  writer->endMsg();
  vlog.info("Sent EOF share %lu", (unsigned long)shareId);
  return 12;
}

int MsgWriter::writeReqShare(uint32_t shareId, const char* relName, uint32_t depth) {
  // Type, share id, the name's count and bytes, depth.
  int length = 16 + (relName ? (int)strlen(relName) : 0);
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeReqShare", length, &space);
  if (!writer)
    return 0;
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(ReqShare);
  os->writeU32(shareId);
  os->writeString(relName);
  os->writeU32(depth);
  writer->endMsg();
  vlog.info("Requesting '%s' of share %lu to depth %lu", relName ? relName : "",
            (unsigned long)shareId, (unsigned long)depth);
  return length;
}

int MsgWriter::writeReqFile(const char* path, const FileId& fileId, uint64_t upTo,
                            uint64_t start, uint64_t end, uint8_t flags) {
  // Type, the path's count and bytes, file id, upTo, start, end, flags.
  int length = 41 + (int)strlen(path);
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeReqFile", length, &space);
  if (!writer)
    return 0;
  if (!ftCompress)
    flags &= ~1;
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(ReqFile);
  os->writeString(path);
  fileId.write(*os);
  os->writeU64(upTo);
  os->writeU64(start);
  os->writeU64(end);
  os->writeU8(flags);
  writer->endMsg();
  return length;
}

int MsgWriter::writeUpdateByteLimit(const FileId& fileId, uint64_t upTo) {
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeUpdateByteLimit", 20, &space);
  if (!writer)
    return 0;
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(UpdateByteLimit);
  fileId.write(*os);
  os->writeU64(upTo);
  writer->endMsg();
  return 20;
}

int MsgWriter::writeFileData(const FileId& fileId, rdr::InStream& source, int maxLen,
                             bool compress, DeflateAhead* ahead) {
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeFileData", FileDataMinimum, &space);
  if (!writer)
    return 0;
  if (space > largestSpace)
    largestSpace = space;
  int dataMax = budget(space, FileDataMinimum) - FileDataHead;
  if (dataMax > 65535)
    dataMax = 65535;
  int window = maxLen & 0xFFFF;
  bool deflating = compress && ftCompress;
  if (deflating && ahead) {
    ahead->feed(source, aheadSegment(*ahead));
    if (!ahead->empty()) {
      if (window == 0)
        return 0;
      int consumed = writeSegments(writer, fileId, *ahead, window, dataMax, ceiling(space, dataMax));
      // The workers go on while this thread sends.
      ahead->feed(source, aheadSegment(*ahead));
      return consumed;
    }
  }
  int avail = source.avail();
  if (avail == 0 && source.check(false, 1))
    avail = source.avail();
  if (avail > window)
    avail = window;
  if (avail == 0)
    return 0;

  int consumed;
  if (deflating) {
    consumed = writeDeflated(writer, fileId, source.getptr(), avail, dataMax,
                             ceiling(space, dataMax));
  } else {
    consumed = avail < dataMax ? avail : dataMax;
    rdr::OutStream* os = writer->startExtMsg(extensionName);
    os->writeU32(FileData);
    fileId.write(*os);
    os->writeU16((uint16_t)consumed);
    os->write(source.getptr(), consumed);
    writer->endMsg();
  }
  source.skip(consumed);
  source.checkpoint();
  return consumed;
}

int MsgWriter::writeDeflated(rfb::MsgWriter* writer, const FileId& fileId, const uint8_t* data,
                             int avail, int dataMax, int ceiling) {
  int head = headerLength();
  int consumed;
  int length = deflateInto(data, avail, dataMax - head, ceiling - head, &consumed);
  rdr::OutStream* os = startCompressed(writer, fileId, head + length);
  os->write(deflated.data(), length);
  endCompressed(writer, os);
  totalIn += consumed;
  return consumed;
}

rdr::OutStream* MsgWriter::startCompressed(rfb::MsgWriter* writer, const FileId& fileId,
                                           int length) {
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(CompressedFileData);
  fileId.write(*os);
  os->writeU16((uint16_t)length);
  if (headerDue) {
    os->write(StreamHeader, 2);
    headerDue = false;
  }
  totalOut += length;
  return os;
}

// A compressed message carries several times its size of file data: held
// back for the next whole sends, it would use up the other end's window
// before that end hears of it.
void MsgWriter::endCompressed(rfb::MsgWriter* writer, rdr::OutStream* os) {
  writer->endMsg();
  os->flushHeld();
}

void MsgWriter::failDeflate(int result) {
  shut_ = true;
  if (result == Z_OK)
    throw plat::Exception("ft::MsgWriter: deflate output exceeds the message");
  throw plat::ExceptionFmt("ft::MsgWriter: deflate failed: %i", result);
}

int MsgWriter::aheadSegment(const DeflateAhead& ahead) const {
  int idle = budget(largestSpace, FileDataMinimum) - FileDataHead;
  // Even stored, a segment fits an idle connection's ceiling.
  int most = DeflatePool::inputFitting(ceiling(largestSpace, idle));
  double predicted = idle * PredictedShare / ahead.ratio();
  int input = predicted < most ? (int)predicted : most;
  return input < MinSegmentInput ? MinSegmentInput : input;
}

// The segments are sent as the workers made them, as many as fit the
// budget and the window; the first alone may overshoot the budget up to
// the ceiling, as a segment deflated inline may. One that fits neither the
// window nor the ceiling is deflated anew here, smaller, from its bytes.
int MsgWriter::writeSegments(rfb::MsgWriter* writer, const FileId& fileId, DeflateAhead& ahead,
                             int window, int dataMax, int ceiling) {
  int head = headerLength();
  int input = (int)ahead.at(0).raw.size();
  int length = head;
  size_t count = 0;
  if (input <= window) {
    DeflateSegment& first = ahead.finish(0);
    if (first.state != DeflateSegment::Done)
      failDeflate(first.result);
    if (head + (int)first.deflated.size() <= ceiling) {
      length += (int)first.deflated.size();
      count = 1;
    }
  }
  if (count == 0) {
    int avail = input < window ? input : window;
    int consumed = writeDeflated(writer, fileId, ahead.at(0).raw.data(), avail, dataMax, ceiling);
    ahead.consumeFront(consumed);
    return consumed;
  }
  for (; count < ahead.size() && ahead.finished(count); count++) {
    DeflateSegment& next = ahead.at(count);
    if (next.state != DeflateSegment::Done || length + (int)next.deflated.size() > dataMax ||
        input + (int)next.raw.size() > window)
      break;
    length += (int)next.deflated.size();
    input += (int)next.raw.size();
  }
  rdr::OutStream* os = startCompressed(writer, fileId, length);
  for (size_t i = 0; i < count; i++)
    os->write(ahead.at(i).deflated.data(), (int)ahead.at(i).deflated.size());
  endCompressed(writer, os);
  totalIn += input;
  ahead.pop(count);
  return input;
}

int MsgWriter::ceiling(int space, int dataMax) {
  int64_t most = (int64_t)space * 95 / 100;
  if (most > MaxBudget)
    most = MaxBudget;
  most -= FileDataHead;
  return most > dataMax ? (int)most : dataMax;
}

int MsgWriter::nextSegment(int length, int dataMax, int ceiling) const {
  int safe = DeflatePool::inputFitting(ceiling - length);
  int input = DeflatePool::inputFitting(dataMax - length);
  double predicted = (dataMax - length) * PredictedShare / lastRatio;
  if (predicted > input)
    input = predicted < safe ? (int)predicted : safe;
  return input < safe ? input : safe;
}

// Segment after segment, each ending in a sync flush, so that every message
// inflates whole on its own. Each flush ends a deflate block, and a block
// costs both ends more than its bytes (its code tables are built, sent and
// read), so segments are as long as is safe: as much input as the last
// segment's ratio says fills most of the budget left, never more than
// would fit the ceiling even stored. Data that deflates well thus fills a
// message with many times its budget in a few segments; a segment that
// deflates worse than the one before overshoots the budget, never the
// ceiling.
int MsgWriter::deflateInto(const uint8_t* data, int avail, int dataMax, int ceiling,
                           int* consumed) {
  // From an empty history: the message inflates whole after any other.
  z_stream& deflater = DeflatePool::freshStream();
  deflated.resize(ceiling);
  int length = 0;
  *consumed = 0;
  for (;;) {
    int input = nextSegment(length, dataMax, ceiling);
    if (input > avail - *consumed)
      input = avail - *consumed;
    deflater.next_in = (Bytef*)data + *consumed;
    deflater.avail_in = (uInt)input;
    deflater.next_out = deflated.data() + length;
    deflater.avail_out = (uInt)(ceiling - length);
    int result = DeflatePool::callDeflate(&deflater, Z_SYNC_FLUSH);
    if (result != Z_OK)
      failDeflate(result);
    // With the output full, deflate may hold more of this message.
    if (deflater.avail_out == 0)
      failDeflate(Z_OK);
    int produced = ceiling - (int)deflater.avail_out - length;
    int used = input - (int)deflater.avail_in;
    length += produced;
    *consumed += used;
    if (used > 0)
      lastRatio = produced < used ? (double)produced / used : 1;
    if (*consumed >= avail || nextSegment(length, dataMax, ceiling) < MinSegmentInput)
      return length;
  }
}

bool MsgWriter::writeFileEOF(const FileId& fileId) {
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeFileEOF", FileDataHead, &space);
  if (!writer)
    return false;
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(FileData);
  fileId.write(*os);
  os->writeU16(0);
  writer->endMsg();
  return true;
}

bool MsgWriter::writeFileError(const FileId& fileId, const char* text) {
  if (!text)
    text = "";
  // The peer refuses longer strings, and the connection with them.
  int length = cutLength(text);
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeFileError", length + 16, &space);
  if (!writer)
    return false;
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(FileError);
  fileId.write(*os);
  os->writeU32((uint32_t)length);
  os->write(text, length);
  writer->endMsg();
  vlog.info("Source aborting (%lu,%lu): %s", (unsigned long)fileId.shareId,
            (unsigned long)fileId.fileNumber, text);
  return true;
}

bool MsgWriter::writeAbortFile(const FileId& fileId) {
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeAbortFile", 12, &space);
  if (!writer)
    return false;
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(AbortFile);
  fileId.write(*os);
  writer->endMsg();
  vlog.info("Sink aborting (%lu,%lu)", (unsigned long)fileId.shareId,
            (unsigned long)fileId.fileNumber);
  return true;
}

int MsgWriter::writeReleaseShare(uint32_t shareId) {
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeReleaseShare", 8, &space);
  if (!writer)
    return 0;
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(ReleaseShare);
  os->writeU32(shareId);
  writer->endMsg();
  vlog.debug("Local releasing %lu", (unsigned long)shareId);
  return 8;
}

namespace {

// A reset stream probes as a fresh one would; keeping one per thread spares
// every file the allocation of deflate's window and tables.
struct Probe {
  z_stream stream;
  Probe() {
    memset(&stream, 0, sizeof(stream));
    if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK)
      throw plat::Exception("MsgWriter: deflateInit failed");
  }
  ~Probe() { deflateEnd(&stream); }
};

plat::ThreadLocal<Probe> probes;

} // namespace

bool MsgWriter::compressesWell(const uint8_t* data, int length) {
  if (length <= 0)
    return false;
  z_stream& stream = probes.get().stream;
  if (deflateReset(&stream) != Z_OK)
    throw plat::Exception("MsgWriter: deflateReset failed");
  std::vector<uint8_t> out(length);
  stream.next_in = (Bytef*)data;
  stream.avail_in = (uInt)length;
  stream.next_out = out.data();
  stream.avail_out = (uInt)length;
  deflate(&stream, Z_SYNC_FLUSH);
  int64_t produced = length - (int64_t)stream.avail_out;
  return produced < (int64_t)length * 9 / 10;
}

} // namespace ft
