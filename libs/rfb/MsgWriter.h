// The writer of one protocol connection, as the protocol extensions see it:
// how much room its output has, and one message at a time.
#pragma once

#include "rdr/OutStream.h"

namespace rfb {

class MsgWriter {
public:
  // The extension message of the protocol: its type, then the extension's
  // name.
  enum { ExtensionMsgType = 18 };

  // The output stream is not owned.
  explicit MsgWriter(rdr::OutStream* out) : os(out) {}
  MsgWriter(const MsgWriter&) = delete;
  MsgWriter& operator=(const MsgWriter&) = delete;
  virtual ~MsgWriter() {}

  // Opens a message of the named extension and returns the stream to write
  // its body to: the extension message type, the name's length (U8, the
  // name cut to 255 bytes) and the name.
  virtual rdr::OutStream* startExtMsg(const char* extensionName);
  // Bytes a message of the named extension may take without waiting: the
  // output's free space less the extension header, never below 0.
  virtual int space(const char* extensionName);
  virtual void startMsg(int type) = 0;
  virtual void endMsg() = 0;

protected:
  rdr::OutStream* os;
};

} // namespace rfb
