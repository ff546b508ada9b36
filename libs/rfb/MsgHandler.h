// One protocol connection, as the protocol extensions see it.
#pragma once

#include "rfb/ConnectionParams.h"

namespace rfb {

class MsgWriter;

class MsgHandler {
public:
  MsgHandler() {}
  MsgHandler(const MsgHandler&) = delete;
  MsgHandler& operator=(const MsgHandler&) = delete;
  virtual ~MsgHandler() {}

  // Records that the named extension is switched on or off.
  virtual void setExtension(const char* name, bool enabled);
  // Ends the connection: throws ConnCloseException with the text (cut to the
  // exception's 255 characters) and the code.
  virtual void close(const char* text, int code);
  // The connection's writer, or null when it has none.
  virtual MsgWriter* getWriter() = 0;

  ConnectionParams cp;
};

} // namespace rfb
