// One protocol connection, as the protocol extensions see it.
#pragma once

namespace rfb {

class MsgWriter;

class MsgHandler {
public:
  virtual ~MsgHandler() {}
  // The connection's writer, or null when it has none.
  virtual MsgWriter* getWriter() = 0;
};

} // namespace rfb
