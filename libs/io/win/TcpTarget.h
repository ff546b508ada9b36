// Where to connect: a host (name or address, an IPv6 address with or
// without square brackets) and a port. Every address the host resolves to is
// tried in turn.
#pragma once

#include "io/Io.h"
#include "io/win/TcpIo.h"
#include "plat/String.h"

namespace io {

class TcpTarget : public IoTarget {
public:
  // Throws "unmatched [ in host".
  TcpTarget(const char* host, int port, int flags = 0);

  // Blocks until connected; throws GetAddrInfoException or
  // plat::SystemException with the last address's failure.
  TcpIo* connect() override;
  IoConnector* connectAsync(IoConnected* callback) override;
  IoTarget* clone() const override;

  const char* host() const { return host_.c_str(); }
  int port() const { return port_; }
  int flags() const { return flags_; }

private:
  plat::String host_;
  int port_;
  int flags_;
};

} // namespace io
