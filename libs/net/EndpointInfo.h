// The texts of one end of a connection, as the program's own code sees them.
#pragma once

namespace net {

class EndpointInfo {
public:
  virtual ~EndpointInfo() {}
  // The numeric address; "<bad address>" when unknown, or with throwOnError
  // plat::Exception "address() failed".
  virtual const char* address(bool throwOnError) = 0;
  // Throws "port() failed" when unknown.
  virtual int port() = 0;
  // The host name, else the address; throws "name() failed" when unknown.
  virtual const char* name() = 0;
  // The address as host::port; "<bad endpoint>" when unknown, or with
  // throwOnError "endpoint() failed".
  virtual const char* endpoint(bool throwOnError) = 0;
  // The endpoint with the host name when there is one; "<bad endpoint>" when
  // unknown, or with throwOnError "endpointName() failed".
  virtual const char* endpointName(bool throwOnError) = 0;
};

} // namespace net
