// The receiving half of a connection: cuts the framed input into messages
// and hands each to the extension, keeping its place when a message has not
// all arrived.
//
//   idle --begin message--> reading --extension read it whole--> handled
//   handled --skip the rest, end the message--> idle
//
// A message that needs more bytes than have arrived leaves it reading; the
// next receive resumes it from the reader's last savepoint.
#pragma once

#include "rdr/BufferedInStream.h"
#include "rdr/InStreamV4.h"

#include <functional>

namespace rfb {
class Extension;
class MsgHandler;
} // namespace rfb

namespace ft {
namespace proxy {

class MsgReceiver {
public:
  enum State { Idle = 0, Reading = 1, Handled = 2 };

  // The underlying stream is not owned.
  explicit MsgReceiver(rdr::BufferedInStream* underlying);
  MsgReceiver(const MsgReceiver&) = delete;
  MsgReceiver& operator=(const MsgReceiver&) = delete;

  // Reads while input is buffered or may be waiting: until a fill gets
  // less than it asked for (the source then says when more comes), or
  // none. Returns quietly when the input runs dry; any other exception (a
  // protocol error, the end of the stream) propagates. afterMsg, when
  // given, runs after each message handled.
  void receive(rfb::Extension* extension, rfb::MsgHandler* connection,
               const std::function<void()>& afterMsg = nullptr);

  State state() const { return state_; }

private:
  rdr::BufferedInStream* underlying;
  rdr::InStreamV4 in;
  State state_;
};

} // namespace proxy
} // namespace ft
