// Reads framed file-transfer messages from a connection's input the way the
// connection layer does: while input is buffered, begin a message, let the
// reader run until the PDU is complete, skip what is left, end it. "Would
// block" ends a pump quietly and the next pump goes on where it stopped;
// any other exception escapes.
#pragma once

#include "ft/MsgReader.h"
#include "rdr/Exception.h"
#include "rdr/InStreamV4.h"

namespace testing_support {

class MsgPump {
public:
  MsgPump(rdr::InStream* underlying, ft::MsgReader* reader)
      : underlying(underlying), in(underlying), reader(reader) {}

  void pump() {
    try {
      while (underlying->avail() > 0 || underlying->check(false, 1)) {
        switch (state) {
        case Idle:
          in.startMsg();
          state = Reading;
          break;
        case Reading:
          if (!reader->readMsg(in))
            return;
          in.checkpoint();
          state = Handled;
          break;
        case Handled:
          in.skipMsg();
          in.endMsg();
          state = Idle;
          break;
        }
      }
    } catch (rdr::BlockException&) {
    }
  }

private:
  enum State { Idle, Reading, Handled };

  rdr::InStream* underlying;
  rdr::InStreamV4 in;
  ft::MsgReader* reader;
  State state = Idle;
};

} // namespace testing_support
