// The base of a protocol extension: the messages of one extension on the
// connections it is enabled on. The connection's owner hands every message
// of the extension to readMsg and lets the extension write in writeMsgs.
#pragma once

namespace rdr {
class InStream;
} // namespace rdr

namespace rfb {

class MsgHandler;

class Extension {
public:
  Extension() {}
  Extension(const Extension&) = delete;
  Extension& operator=(const Extension&) = delete;
  virtual ~Extension() {}

  virtual const char* name() = 0;
  // True when one whole message was consumed; false when its bytes have not
  // all arrived (call again with more).
  virtual bool readMsg(rdr::InStream& in, MsgHandler* connection) = 0;
  // The connection can take output.
  virtual void writeMsgs(MsgHandler* connection) {}
  virtual void connectionAdded(MsgHandler* connection) {}
  virtual void connectionClosed(MsgHandler* connection) {}
  // The named extension was switched on or off for the connection.
  virtual void extensionEnabled(MsgHandler* connection, const char* name) {}
  virtual void extensionDisabled(MsgHandler* connection, const char* name) {}
};

} // namespace rfb
