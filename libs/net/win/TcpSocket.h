// A socket over a TCP connection. Built on an io that is connected already
// (a blocking connect, or an accepted connection), or on a target that the
// socket manager connects to without blocking.
#pragma once

#include "net/FdSocket.h"
#include "plat/String.h"

#include <memory>

namespace io {
class TcpIo;
class TcpTarget;
struct EndpointRecord;
} // namespace io

namespace net {

class TcpSocket : public FdSocket {
public:
  class TcpEndpointInfo : public EndpointInfo {
  public:
    // Throws "address() failed" without an address, "port() failed" with a
    // negative port.
    explicit TcpEndpointInfo(const io::EndpointRecord& record);
    const char* address(bool throwOnError) override;
    int port() override;
    const char* name() override;
    const char* endpoint(bool throwOnError) override;
    const char* endpointName(bool throwOnError) override;

  private:
    plat::String address_;
    plat::String name_;
    plat::String endpoint_;
    plat::String endpointName_;
    int port_;
  };

  explicit TcpSocket(io::TcpIo* io);
  explicit TcpSocket(io::TcpTarget* target);

  TcpSocket* asTcpSocket() override { return this; }
  // Made from the io on first use; the plain empty texts while there is no
  // io yet.
  EndpointInfo& localEndpoint() override;
  EndpointInfo& peerEndpoint() override;

private:
  std::unique_ptr<TcpEndpointInfo> local_;
  std::unique_ptr<TcpEndpointInfo> peer_;
};

} // namespace net
