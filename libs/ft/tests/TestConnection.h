// A connection whose output is memory: the file-transfer writer writes
// framed messages into it, and a test may pretend the output has only so
// much free room.
#pragma once

#include "ft/FTMsgWriter.h"
#include "rdr/MemOutStream.h"
#include "rdr/OutStreamV4.h"
#include "rfb/MsgHandler.h"

#include <vector>

namespace testing_support {

// Large enough that every message fits one frame.
class RoomLimitedOutStream : public rdr::MemOutStream {
public:
  RoomLimitedOutStream() : rdr::MemOutStream(1 << 20) {}
  int room = -1; // < 0: unlimited
  int avail() override { return room < 0 ? rdr::MemOutStream::avail() : room; }
};

class TestConnection : public rfb::MsgHandler {
public:
  TestConnection() : framed(&wire), writer(&framed) {}

  rfb::MsgWriter* getWriter() override { return hasWriter ? &writer : nullptr; }

  // The space the file-transfer writer will see.
  void setSpace(int space) { wire.room = space + 2 + 15; }
  std::vector<uint8_t> bytes() {
    return std::vector<uint8_t>(wire.data(), wire.data() + wire.length());
  }
  void clear() { wire.clear(); }

  bool hasWriter = true;
  RoomLimitedOutStream wire;
  rdr::OutStreamV4 framed;
  ft::FTMsgWriter writer;
};

} // namespace testing_support
