// Turns a connection's framed input into calls of the PDU handler, one
// message at a time. A message whose bytes have not all arrived is resumed
// from the last savepoint (the input's checkpoint) when more data comes; a
// protocol error throws and the connection is closed by its owner.
#pragma once

#include "ft/FileId.h"
#include "rdr/MemOutStream.h"

#include <zlib.h>

namespace rdr {
class InStream;
} // namespace rdr

namespace rfb {
class MsgHandler;
} // namespace rfb

namespace ft {

class PduHandler;

class MsgReader {
public:
  // Neither is owned.
  MsgReader(rfb::MsgHandler* connection, PduHandler* handler);
  MsgReader(const MsgReader&) = delete;
  MsgReader& operator=(const MsgReader&) = delete;
  ~MsgReader();

  // Runs the current step on the message being read; true when the message
  // is complete. May throw rdr::BlockException: call again with more data.
  bool readMsg(rdr::InStream& in);
  // Starts a new inflate stream (the peer restarts its deflate stream).
  void resetInflate();

private:
  typedef bool (MsgReader::*Step)(rdr::InStream& in);

  void startInflate();
  void logCounters();

  bool readPdu(rdr::InStream& in);
  bool readShareCtrl(rdr::InStream& in);
  bool readReqShare(rdr::InStream& in);
  bool readShareData(rdr::InStream& in);
  bool readReqFile(rdr::InStream& in);
  bool readUpdateByteLimit(rdr::InStream& in);
  bool readFileData(rdr::InStream& in);
  bool readFileError(rdr::InStream& in);
  bool readAbortFile(rdr::InStream& in);
  bool readReleaseShare(rdr::InStream& in);
  bool readCompressedFileData(rdr::InStream& in);
  // Inflates the collected bytes of one compressed message.
  void inflateCollected();

  Step step;
  rfb::MsgHandler* connection;
  PduHandler* handler;

  bool inProgress;
  uint32_t shareId;
  uint32_t numFiles;
  uint32_t entriesRead;
  FileId fileId;
  uint16_t dataLenPending;
  rdr::MemOutStream compressed;
  z_stream inflater;
  // Inflate's output, handed on piece by piece: pieces below 16 KiB cost
  // inflate a sixth more (its fast loop stops short of each piece's end).
  uint8_t inflated[16384];
};

} // namespace ft
