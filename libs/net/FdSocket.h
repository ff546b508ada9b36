// A socket over an fd io, or over a target that still has to be connected.
// Its own endpoint texts are empty (port -1); TcpSocket knows better.
#pragma once

#include "net/EndpointInfo.h"
#include "net/Socket.h"

namespace net {

class FdSocket : public Socket, public EndpointInfo {
public:
  FdSocket(io::Io* io, io::IoTarget* target);
  // Cancels a connect in progress without a word to its callback.
  ~FdSocket() override;

  FdSocket* asFdSocket() override { return this; }
  // A connect in progress is cancelled (its callback still hears so).
  void shutdown() override;
  void shutdownNoFlush() override;
  EndpointInfo& localEndpoint() override { return *this; }
  EndpointInfo& peerEndpoint() override { return *this; }

  const char* address(bool throwOnError) override { return ""; }
  int port() override { return -1; }
  const char* name() override { return ""; }
  const char* endpoint(bool throwOnError) override { return ""; }
  const char* endpointName(bool throwOnError) override { return ""; }

private:
  void shutdownIo(bool flush);
};

} // namespace net
