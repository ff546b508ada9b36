#include "ft/MsgWriter.h"

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

// Stored, the worst deflate can do, data grows by a block header for each
// block of at most 16 KiB and by the flush marker; the first output of a
// stream begins with the stream's header besides.
const int StoredBlockHead = 5;
const int StoredBlockData = 16384;
const int FlushMarker = 5;
const int StreamHeader = 2;

MsgWriter::DeflateFunction deflateFunction = deflate;

} // namespace

MsgWriter::MsgWriter(rfb::MsgHandler* connection_) : connection(connection_), shut_(false) {
  memset(&deflater, 0, sizeof(deflater));
  if (deflateInit(&deflater, Z_DEFAULT_COMPRESSION) != Z_OK)
    throw plat::Exception("MsgWriter: deflateInit failed");
}

MsgWriter::~MsgWriter() {
  logCounters();
  deflateEnd(&deflater);
}

void MsgWriter::logCounters() {
  vlog.debug("uncompressed: %lu, compressed: %lu", (unsigned long)deflater.total_in,
             (unsigned long)deflater.total_out);
}

void MsgWriter::resetDeflate() {
  logCounters();
  if (deflateReset(&deflater) != Z_OK)
    throw plat::Exception("MsgWriter: deflateReset failed");
}

MsgWriter::DeflateFunction MsgWriter::setDeflateFunction(DeflateFunction function) {
  DeflateFunction was = deflateFunction;
  deflateFunction = function;
  return was;
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
                             bool compress) {
  int space;
  rfb::MsgWriter* writer = writerWithRoom("writeFileData", FileDataMinimum, &space);
  if (!writer)
    return 0;
  int dataMax = budget(space, FileDataMinimum) - FileDataHead;
  if (dataMax > 65535)
    dataMax = 65535;
  int avail = source.avail();
  if (avail == 0 && source.check(false, 1))
    avail = source.avail();
  int window = maxLen & 0xFFFF;
  if (avail > window)
    avail = window;
  if (avail == 0)
    return 0;

  int consumed;
  if (compress && ftCompress) {
    consumed = writeDeflated(writer, fileId, source.getptr(), avail, dataMax);
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
                             int avail, int dataMax) {
  // Room for the data stored, the worst deflate can do, and a byte besides:
  // with the output full, deflate may hold more of the message.
  int input = dataMax - (dataMax + StoredBlockData - 1) / StoredBlockData * StoredBlockHead -
              FlushMarker - 1;
  if (deflater.total_out == 0)
    input -= StreamHeader;
  if (input > avail)
    input = avail;
  deflated.resize(dataMax);
  deflater.next_in = (Bytef*)data;
  deflater.avail_in = (uInt)input;
  deflater.next_out = deflated.data();
  deflater.avail_out = (uInt)dataMax;
  int result = deflateFunction(&deflater, Z_SYNC_FLUSH);
  if (result != Z_OK)
    failDeflate(result);
  // With the output full, deflate may hold more of this message.
  if (deflater.avail_out == 0)
    failDeflate(Z_OK);
  int length = dataMax - (int)deflater.avail_out;
  rdr::OutStream* os = writer->startExtMsg(extensionName);
  os->writeU32(CompressedFileData);
  fileId.write(*os);
  os->writeU16((uint16_t)length);
  os->write(deflated.data(), length);
  writer->endMsg();
  // Held back for the next whole sends, a message that carries several
  // times its size of file data would use up the other end's window before
  // that end hears of it.
  os->flushHeld();
  return input - (int)deflater.avail_in;
}

void MsgWriter::failDeflate(int result) {
  shut_ = true;
  if (result == Z_OK)
    throw plat::Exception("ft::MsgWriter: deflate output exceeds the message");
  throw plat::ExceptionFmt("ft::MsgWriter: deflate failed: %i", result);
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
