// Resumes an upload when its threaded read-ahead has data: the handler of
// the stream's "ThreadedInStream" event on the main thread.
#pragma once

#include "ferrin/upload/win/ThreadedInStream.h"

namespace rfb {
class MsgHandler;
} // namespace rfb

namespace ft {

class Extension;

class UploadHandler : public ThreadedInStream::Handler {
public:
  // Throws plat::Exception "no conn for processEvent" for a null connection.
  UploadHandler(Extension* extension, rfb::MsgHandler* connection);

  // Asks for the connection's write cycle; failures are logged.
  void processEvent(HANDLE event) override;
  void release(rdr::InStream* source) override;

private:
  Extension* extension;
  rfb::MsgHandler* connection;
};

} // namespace ft
