#include "net/win/TcpSocket.h"
#include "io/win/TcpIo.h"
#include "io/win/TcpTarget.h"
#include "net/Endpoint.h"

namespace net {

TcpSocket::TcpEndpointInfo::TcpEndpointInfo(const io::EndpointRecord& record)
    : address_(record.address), name_(record.hostName.isNull() ? record.address : record.hostName),
      endpointName_(record.endpoint), port_(record.port) {
  if (port_ < 0)
    throw plat::Exception("port() failed");
  if (address_.isNull())
    throw plat::Exception("address() failed");
  endpoint_ = formatEndpoint(address_.c_str(), port_, -1, -1);
}

const char* TcpSocket::TcpEndpointInfo::address(bool throwOnError) {
  if (address_.isNull()) {
    if (throwOnError)
      throw plat::Exception("address() failed");
    return "<bad address>";
  }
  return address_.c_str();
}

int TcpSocket::TcpEndpointInfo::port() {
  if (port_ < 0)
    throw plat::Exception("port() failed");
  return port_;
}

const char* TcpSocket::TcpEndpointInfo::name() {
  if (name_.isNull())
    throw plat::Exception("name() failed");
  return name_.c_str();
}

const char* TcpSocket::TcpEndpointInfo::endpoint(bool throwOnError) {
  if (endpoint_.isNull()) {
    if (throwOnError)
      throw plat::Exception("endpoint() failed");
    return "<bad endpoint>";
  }
  return endpoint_.c_str();
}

const char* TcpSocket::TcpEndpointInfo::endpointName(bool throwOnError) {
  if (endpointName_.isNull()) {
    if (throwOnError)
      throw plat::Exception("endpointName() failed");
    return "<bad endpoint>";
  }
  return endpointName_.c_str();
}

TcpSocket::TcpSocket(io::TcpIo* io) : FdSocket(io, nullptr) {}

TcpSocket::TcpSocket(io::TcpTarget* target) : FdSocket(nullptr, target) {}

EndpointInfo& TcpSocket::localEndpoint() {
  if (!io_)
    return FdSocket::localEndpoint();
  if (!local_)
    local_.reset(new TcpEndpointInfo(io_->asTcpIo()->localEndpoint()));
  return *local_;
}

EndpointInfo& TcpSocket::peerEndpoint() {
  if (!io_)
    return FdSocket::peerEndpoint();
  if (!peer_)
    peer_.reset(new TcpEndpointInfo(io_->asTcpIo()->peerEndpoint()));
  return *peer_;
}

} // namespace net
