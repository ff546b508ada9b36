#include "ft/proxy/MsgReceiver.h"

#include "rdr/Exception.h"
#include "rfb/Extension.h"

namespace ft {
namespace proxy {

MsgReceiver::MsgReceiver(rdr::BufferedInStream* underlying_)
    : underlying(underlying_), in(underlying_), state_(Idle) {}

void MsgReceiver::receive(rfb::Extension* extension, rfb::MsgHandler* connection,
                          const std::function<void()>& afterMsg) {
  // Called because the source has news: even a drained one may have more.
  underlying->expectMore();
  try {
    while (underlying->avail() > 0 || (!underlying->drained() && underlying->check(false, 1))) {
      switch (state_) {
      case Idle:
        in.startMsg();
        state_ = Reading;
        break;
      case Reading:
        if (!extension->readMsg(in, connection))
          return;
        in.checkpoint();
        state_ = Handled;
        break;
      case Handled:
        in.skipMsg();
        in.endMsg();
        state_ = Idle;
        if (afterMsg)
          afterMsg();
        break;
      }
    }
  } catch (rdr::BlockException&) {
    // The reader is back at its savepoint; the next receive goes on there.
  }
}

} // namespace proxy
} // namespace ft
