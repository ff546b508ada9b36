// An io over a TCP socket, with the texts of its two ends.
#pragma once

#include "io/win/FdIo.h"
#include "plat/String.h"

#include <memory>

namespace io {

// One end of a TCP connection as read from the socket.
struct EndpointRecord {
  // Numeric; empty for the wildcard address.
  plat::String address;
  // The host name that was connected to (peer end only), else null.
  plat::String hostName;
  // host::port, with the host name when there is one.
  plat::String endpoint;
  int port = -1;
  int family = 0;
};

class TcpIo : public FdIo {
public:
  TcpIo(SOCKET fd, bool closeOnDelete, int inBufferSize = 0, int outBufferSize = 0);

  TcpIo* asTcpIo() override { return this; }
  // The peer's endpoint text (the socket number when it cannot be read).
  const char* name() override;
  // The local endpoint text, or null.
  const char* localName() override;

  // Made on first use; throw plat::SystemException when the socket cannot
  // tell.
  virtual const EndpointRecord& localEndpoint();
  virtual const EndpointRecord& peerEndpoint();

  void setHostText(const char* host) { hostText_ = host; }
  const char* hostText() const { return hostText_.c_str(); }

private:
  plat::String hostText_;
  std::unique_ptr<EndpointRecord> local_;
  std::unique_ptr<EndpointRecord> peer_;
};

} // namespace io
