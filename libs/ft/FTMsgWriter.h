// The connection writer of a file-transfer link: every message is one
// framed message on the connection's V4 output.
#pragma once

#include "rdr/OutStreamV4.h"
#include "rfb/MsgWriter.h"

namespace ft {

class FTMsgWriter : public rfb::MsgWriter {
public:
  // The framed stream is not owned.
  explicit FTMsgWriter(rdr::OutStreamV4* out) : rfb::MsgWriter(out), framed(out) {}

  // Both only open a framed message; nothing is written until the caller
  // writes the message, type first.
  rdr::OutStream* startExtMsg(const char* extensionName) override;
  void startMsg(int type) override;
  // Ends the framed message. It leaves with the next whole send, or when
  // the socket's owner flushes the output (before its thread waits).
  void endMsg() override;

private:
  rdr::OutStreamV4* framed;
};

} // namespace ft
