#include "ft/proxy/Extension.h"

#include "ft/FTMsgWriter.h"

namespace ft {
namespace proxy {

Extension::Connection::Connection(rdr::OutStreamV4* out) : writer(new FTMsgWriter(out)) {}

Extension::Connection::~Connection() {}

rfb::MsgWriter* Extension::Connection::getWriter() {
  return writer.get();
}

} // namespace proxy
} // namespace ft
