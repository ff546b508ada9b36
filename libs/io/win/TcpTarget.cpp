#include "io/win/TcpTarget.h"
#include "io/win/TcpConnector.h"

#include <cstring>

namespace io {

TcpTarget::TcpTarget(const char* host, int port, int flags) : port_(port), flags_(flags) {
  if (host && host[0] == '[') {
    const char* close = strchr(host, ']');
    if (!close)
      throw plat::Exception("unmatched [ in host");
    host_.replaceBuf(plat::strDup(host + 1, (int)(close - host - 1)));
  } else {
    host_ = host;
  }
}

TcpIo* TcpTarget::connect() {
  TcpConnector connector(nullptr, host_.c_str(), port_, flags_);
  TcpIo* io = connector.attempt(false);
  TcpConnector::log().info("connected to %s:%d", host_.c_str(), port_);
  return io;
}

IoConnector* TcpTarget::connectAsync(IoConnected* callback) {
  TcpConnector::log().info("connecting to %s:%d", host_.c_str(), port_);
  return new TcpConnector(callback, host_.c_str(), port_, flags_);
}

IoTarget* TcpTarget::clone() const { return new TcpTarget(host_.c_str(), port_, flags_); }

} // namespace io
