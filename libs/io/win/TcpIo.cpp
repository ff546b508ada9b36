#include "io/win/TcpIo.h"
#include "net/Endpoint.h"
#include "plat/LogWriter.h"

#include <cstdlib>
#include <cstring>
#include <ws2tcpip.h>

namespace io {

static plat::LogWriter vlog("TcpIo");

TcpIo::TcpIo(SOCKET fd, bool closeOnDelete, int inBufferSize, int outBufferSize)
    : FdIo(fd, closeOnDelete, inBufferSize, outBufferSize) {
  // Messages are small and answered: Nagle's delay would hold each one
  // back until the peer's delayed acknowledgement.
  BOOL noDelay = TRUE;
  if (setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, (const char*)&noDelay, sizeof(noDelay)) != 0)
    vlog.error("unable to setsockopt TCP_NODELAY: %d", WSAGetLastError());
}

static void readEndpoint(SOCKET fd, bool peer, const char* hostName, EndpointRecord* record) {
  sockaddr_storage address;
  int size = sizeof(address);
  int rc = peer ? getpeername(fd, (sockaddr*)&address, &size)
                : getsockname(fd, (sockaddr*)&address, &size);
  if (rc != 0)
    throw plat::SystemException(peer ? "getpeername" : "getsockname", WSAGetLastError());
  char host[1025];
  char service[32];
  rc = getnameinfo((sockaddr*)&address, size, host, sizeof(host), service, sizeof(service),
                   NI_NUMERICHOST | NI_NUMERICSERV);
  if (rc != 0)
    throw plat::SystemException("getnameinfo", rc);
  bool wildcard = strcmp(host, "0.0.0.0") == 0 || strcmp(host, "::") == 0 ||
                  strcmp(host, "[::]") == 0;
  record->address = wildcard ? "" : host;
  record->port = atoi(service);
  record->family = address.ss_family;
  record->hostName = hostName;
  record->endpoint =
      net::formatEndpoint(hostName ? hostName : record->address.c_str(), record->port, -1, -1);
}

const EndpointRecord& TcpIo::localEndpoint() {
  if (!local_) {
    std::unique_ptr<EndpointRecord> record(new EndpointRecord);
    readEndpoint(fd(), false, nullptr, record.get());
    local_ = std::move(record);
  }
  return *local_;
}

const EndpointRecord& TcpIo::peerEndpoint() {
  if (!peer_) {
    std::unique_ptr<EndpointRecord> record(new EndpointRecord);
    readEndpoint(fd(), true, hostText_.c_str(), record.get());
    peer_ = std::move(record);
  }
  return *peer_;
}

const char* TcpIo::name() {
  try {
    return peerEndpoint().endpoint.c_str();
  } catch (plat::Exception&) {
    return FdIo::name();
  }
}

const char* TcpIo::localName() {
  try {
    return localEndpoint().endpoint.c_str();
  } catch (plat::Exception&) {
    return nullptr;
  }
}

} // namespace io
