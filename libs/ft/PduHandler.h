// What the message reader hands each received message to (the extension).
// Every call names the connection it came from.
#pragma once

#include "ft/FileId.h"

#include <cstdint>

namespace rfb {
class MsgHandler;
} // namespace rfb

namespace ft {

struct ShareEntry;

class PduHandler {
public:
  virtual ~PduHandler() {}
  virtual void shareCtrl(rfb::MsgHandler* conn, uint32_t shareId, uint8_t code,
                         uint32_t flags) = 0;
  virtual void reqShare(rfb::MsgHandler* conn, uint32_t shareId, const char* relName,
                        uint32_t depth) = 0;
  virtual void shareDataEOF(rfb::MsgHandler* conn, uint32_t shareId) = 0;
  // Takes ownership of the entry.
  virtual void shareEntry(rfb::MsgHandler* conn, uint32_t shareId, ShareEntry* entry) = 0;
  virtual void reqFile(rfb::MsgHandler* conn, const char* path, const FileId& fileId,
                       uint64_t upTo, uint64_t start, uint64_t end, uint8_t flags) = 0;
  virtual void updateByteLimit(rfb::MsgHandler* conn, const FileId& fileId, uint64_t upTo) = 0;
  // The next bytes of the file, in order; length is never 0.
  virtual void fileData(rfb::MsgHandler* conn, const FileId& fileId, const uint8_t* data,
                        int length) = 0;
  virtual void fileEOF(rfb::MsgHandler* conn, const FileId& fileId) = 0;
  virtual void fileError(rfb::MsgHandler* conn, const FileId& fileId, const char* message) = 0;
  virtual void abortFile(rfb::MsgHandler* conn, const FileId& fileId) = 0;
  virtual void releaseShare(rfb::MsgHandler* conn, uint32_t shareId) = 0;
};

} // namespace ft
