// A connection whose output is memory: the file-transfer writer writes
// framed messages into it, and a test may pretend the output has only so
// much free room.
#pragma once

#include "ft/FTMsgWriter.h"
#include "rdr/MemOutStream.h"
#include "rdr/OutStreamV4.h"
#include "rfb/MsgHandler.h"
#include "testing/RoomLimited.h"

#include <vector>

namespace testing_support {

// Large enough that every message fits one frame.
class RoomLimitedOutStream : public RoomLimited<rdr::MemOutStream> {
public:
  RoomLimitedOutStream() : RoomLimited<rdr::MemOutStream>(1 << 20) {}
};

class TestConnection : public rfb::MsgHandler {
public:
  TestConnection() : framed(&wire), writer(&framed) {}

  rfb::MsgWriter* getWriter() override { return hasWriter ? &writer : nullptr; }

  // The space the file-transfer writer will see before each message, as
  // when the output drains at once; a longer message fails the test.
  void setSpace(int space) {
    room = space + 2 + 15;
    wire.setRoom(room, true);
  }
  std::vector<uint8_t> bytes() {
    return std::vector<uint8_t>(wire.data(), wire.data() + wire.length());
  }
  void clear() {
    wire.clear();
    wire.setRoom(room, true);
  }

  bool hasWriter = true;
  int room = -1;
  RoomLimitedOutStream wire;
  rdr::OutStreamV4 framed;
  ft::FTMsgWriter writer;
};

} // namespace testing_support
