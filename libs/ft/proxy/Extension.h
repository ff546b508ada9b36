// The file-transfer extension as ferrin runs it: every message accepted,
// and its own file requests never ask for deflated data (it still deflates
// what it sends when the other end asks for it).
#pragma once

#include "ft/Extension.h"
#include "rfb/MsgHandler.h"

#include <memory>

namespace rdr {
class OutStreamV4;
} // namespace rdr

namespace ft {

class FTMsgWriter;

namespace proxy {

class Extension : public ft::Extension {
public:
  // One link to the peer, over the framed output of its socket.
  class Connection : public rfb::MsgHandler {
  public:
    // The stream is not owned.
    explicit Connection(rdr::OutStreamV4* out);
    ~Connection() override;
    rfb::MsgWriter* getWriter() override;

  private:
    std::unique_ptr<FTMsgWriter> writer;
  };

  const char* name() override { return "FileTransfer"; }
  bool acceptMsg(rfb::MsgHandler* connection) override { return true; }
  bool compressionAllowed(rfb::MsgHandler* connection) override { return false; }
};

} // namespace proxy
} // namespace ft
