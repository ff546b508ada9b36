// Hands framed file-transfer messages to a message reader through the
// connection's own receiving half, ft::proxy::MsgReceiver, as the socket
// server does: receive() is one "readable" event of the socket. A fill that
// gets less than it asked for ends a receive; the socket then signals again
// while data waits, which pump() plays for a scripted input.
#pragma once

#include "ft/MsgReader.h"
#include "ft/proxy/MsgReceiver.h"
#include "rdr/tests/ScriptedInStream.h"
#include "rfb/Extension.h"

namespace testing_support {

class ReceiverPump {
public:
  ReceiverPump(rdr::BufferedInStream* input, ft::MsgReader* reader)
      : extension(reader), receiver(input) {}

  // One readable event. A protocol error escapes.
  void receive() { receiver.receive(&extension, nullptr); }

  // Readable events while the scripted input holds released bytes that no
  // fill has taken yet.
  void pump(ScriptedInStream* input) {
    size_t waiting;
    do {
      waiting = input->undelivered();
      receive();
    } while (input->undelivered() > 0 && input->undelivered() < waiting);
  }

private:
  // The extension as the receiver sees it: every message to the reader.
  class ToReader : public rfb::Extension {
  public:
    explicit ToReader(ft::MsgReader* reader) : reader(reader) {}
    const char* name() override { return "FileTransfer"; }
    bool readMsg(rdr::InStream& in, rfb::MsgHandler*) override { return reader->readMsg(in); }

  private:
    ft::MsgReader* reader;
  };

  ToReader extension;
  ft::proxy::MsgReceiver receiver;
};

} // namespace testing_support
