#include "ferrin/upload/win/UploadHandler.h"

#include "ft/Extension.h"
#include "plat/LogWriter.h"

namespace ft {

UploadHandler::UploadHandler(Extension* extension_, rfb::MsgHandler* connection_)
    : extension(extension_), connection(connection_) {
  if (!connection)
    throw plat::Exception("no conn for processEvent");
}

void UploadHandler::processEvent(HANDLE event) {
  // Reset before the cycle: data that arrives while it runs sets the event
  // again instead of being missed. The cycle may finish the upload and
  // delete this handler, so it comes last.
  ResetEvent(event);
  try {
    extension->scheduleWriteMsg(connection);
  } catch (plat::Exception& e) {
    threadedInStreamLog.error("%s", e.str());
  }
}

void UploadHandler::release(rdr::InStream* source) {
  delete source;
  delete this;
}

} // namespace ft
