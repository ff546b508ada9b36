#include "ft/MsgReader.h"

#include "ft/Parameters.h"
#include "ft/PduHandler.h"
#include "ft/PduType.h"
#include "ft/ShareEntry.h"
#include "plat/LogWriter.h"
#include "rdr/Exception.h"
#include "rdr/InStream.h"

#include <cstring>
#include <memory>

namespace ft {

namespace {

plat::LogWriter vlog("FTMsgReader");

// A savepoint: what lies before it is never read again.
void savepoint(rdr::InStream& in) {
  in.checkpoint();
}

// The bytes of a data message buffered now, at most n; 0 when none has
// arrived yet.
int buffered(rdr::InStream& in, int n) {
  if (in.avail() == 0 && !in.check(false, 1))
    return 0;
  return in.avail() < n ? in.avail() : n;
}

} // namespace

MsgReader::MsgReader(rfb::MsgHandler* connection_, PduHandler* handler_)
    : step(&MsgReader::readPdu), connection(connection_), handler(handler_), inProgress(false),
      shareId(0), numFiles(0), entriesRead(0), dataLenPending(0), compressed(1024) {
  startInflate();
}

MsgReader::~MsgReader() {
  logCounters();
  inflateEnd(&inflater);
}

void MsgReader::startInflate() {
  memset(&inflater, 0, sizeof(inflater));
  if (inflateInit(&inflater) != Z_OK)
    throw plat::Exception("MsgReader: inflateInit failed");
}

void MsgReader::logCounters() {
  vlog.debug("uncompressed: %lu, compressed: %lu", (unsigned long)inflater.total_out,
             (unsigned long)inflater.total_in);
}

void MsgReader::resetInflate() {
  logCounters();
  inflateEnd(&inflater);
  startInflate();
}

bool MsgReader::readMsg(rdr::InStream& in) {
  bool complete = (this->*step)(in);
  if (complete)
    step = &MsgReader::readPdu;
  return complete;
}

bool MsgReader::readPdu(rdr::InStream& in) {
  uint32_t type = in.readU32();
  savepoint(in);
  switch (type) {
  case ShareCtrl: step = &MsgReader::readShareCtrl; break;
  case ReqShare: step = &MsgReader::readReqShare; break;
  case ShareData: step = &MsgReader::readShareData; break;
  case ReqFile: step = &MsgReader::readReqFile; break;
  case UpdateByteLimit: step = &MsgReader::readUpdateByteLimit; break;
  case FileData: step = &MsgReader::readFileData; break;
  case FileError: step = &MsgReader::readFileError; break;
  case AbortFile: step = &MsgReader::readAbortFile; break;
  case ReleaseShare: step = &MsgReader::readReleaseShare; break;
  case CompressedFileData: step = &MsgReader::readCompressedFileData; break;
  default: throw plat::ExceptionFmt("Unexpected PDU type: %lu", (unsigned long)type);
  }
  return (this->*step)(in);
}

bool MsgReader::readShareCtrl(rdr::InStream& in) {
  uint32_t id = in.readU32();
  uint8_t code = in.readU8();
  uint32_t flags = 0;
  try {
    flags = in.readU32();
  } catch (rdr::EndOfMsg&) {
  }
  handler->shareCtrl(connection, id, code, flags);
  return true;
}

bool MsgReader::readReqShare(rdr::InStream& in) {
  uint32_t id = in.readU32();
  plat::String relName("");
  uint32_t depth = 0;
  try {
    relName = plat::String::adopt(in.readString(MaxStringLength));
    depth = in.readU32();
  } catch (rdr::EndOfMsg&) {
    vlog.warning("Using defaults for relName/depth\n");
  }
  handler->reqShare(connection, id, relName.c_str(), depth);
  return true;
}

bool MsgReader::readShareData(rdr::InStream& in) {
  if (!inProgress) {
    shareId = in.readU32();
    numFiles = in.readU32();
    entriesRead = 0;
    savepoint(in);
    inProgress = true;
  }
  if (numFiles == 0) {
    inProgress = false;
    handler->shareDataEOF(connection, shareId);
    return true;
  }
  while (entriesRead < numFiles) {
    std::unique_ptr<ShareEntry> entry(new ShareEntry);
    try {
      entry->read(in);
      entry->validateName();
    } catch (rdr::BlockException&) {
      throw; // the entry is read again from the savepoint
    } catch (rdr::EndOfMsg&) {
      vlog.error("Bad numFiles: %lu received, %lu expected", (unsigned long)entriesRead,
                 (unsigned long)numFiles);
      inProgress = false;
      return true;
    } catch (plat::Exception& e) {
      vlog.error("Unexpected error reading file list: %s", e.str());
      throw;
    }
    handler->shareEntry(connection, shareId, entry.release());
    savepoint(in);
    entriesRead++;
  }
  inProgress = false;
  return true;
}

bool MsgReader::readReqFile(rdr::InStream& in) {
  plat::String path = plat::String::adopt(in.readString(MaxStringLength));
  FileId id;
  id.read(in);
  uint64_t upTo = in.readU64();
  uint64_t start = 0;
  uint64_t end = ~(uint64_t)0;
  uint8_t flags = 0;
  try {
    start = in.readU64();
    end = in.readU64();
    flags = in.readU8();
  } catch (rdr::EndOfMsg&) {
    vlog.warning("Using defaults for start/end/flags\n");
  }
  vlog.debug("Beginning upload at %i%% capacity", (int)fileTransferBias);
  handler->reqFile(connection, path.c_str(), id, upTo, start, end, flags);
  return true;
}

bool MsgReader::readUpdateByteLimit(rdr::InStream& in) {
  FileId id;
  id.read(in);
  uint64_t upTo = in.readU64();
  handler->updateByteLimit(connection, id, upTo);
  return true;
}

bool MsgReader::readFileData(rdr::InStream& in) {
  if (!inProgress) {
    fileId.read(in);
    dataLenPending = in.readU16();
    savepoint(in);
    if (dataLenPending == 0) {
      handler->fileEOF(connection, fileId);
      return true;
    }
    inProgress = true;
  }
  while (dataLenPending > 0) {
    int n = buffered(in, dataLenPending);
    if (n == 0)
      return false;
    // Straight from the input buffer: file data is never copied here.
    handler->fileData(connection, fileId, in.getptr(), n);
    in.skip(n);
    savepoint(in);
    dataLenPending -= n;
  }
  inProgress = false;
  return true;
}

bool MsgReader::readFileError(rdr::InStream& in) {
  FileId id;
  id.read(in);
  plat::String message = plat::String::adopt(in.readString(MaxStringLength));
  handler->fileError(connection, id, message.c_str());
  return true;
}

bool MsgReader::readAbortFile(rdr::InStream& in) {
  FileId id;
  id.read(in);
  handler->abortFile(connection, id);
  return true;
}

bool MsgReader::readReleaseShare(rdr::InStream& in) {
  uint32_t id = in.readU32();
  handler->releaseShare(connection, id);
  return true;
}

bool MsgReader::readCompressedFileData(rdr::InStream& in) {
  if (!inProgress) {
    fileId.read(in);
    dataLenPending = in.readU16();
    // Not a broken invariant of ours but a peer's protocol error: it throws
    // and the connection is closed.
    if (dataLenPending == 0)
      throw plat::AssertionFail("dataLenPending != 0", __FILE__, __LINE__);
    savepoint(in);
    compressed.clear();
    inProgress = true;
  }
  while (dataLenPending > 0) {
    int n = buffered(in, dataLenPending);
    if (n == 0)
      return false;
    compressed.write(in.getptr(), n);
    in.skip(n);
    savepoint(in);
    dataLenPending -= n;
  }
  inflateCollected();
  compressed.clear();
  inProgress = false;
  return true;
}

void MsgReader::inflateCollected() {
  inflater.next_in = (Bytef*)compressed.data();
  inflater.avail_in = (uInt)compressed.length();
  for (;;) {
    inflater.next_out = inflated;
    inflater.avail_out = sizeof(inflated);
    int result = inflate(&inflater, Z_SYNC_FLUSH);
    if (result == Z_BUF_ERROR)
      break; // all input used and all output delivered
    if (result != Z_OK)
      throw plat::ExceptionFmt("ft::MsgReader: inflate failed: %i", result);
    int produced = (int)(sizeof(inflated) - inflater.avail_out);
    // A message may hold nothing but a flush marker; an empty piece would
    // read as the end of the file.
    if (produced > 0)
      handler->fileData(connection, fileId, inflated, produced);
  }
}

} // namespace ft
