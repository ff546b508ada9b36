// Endpoint text comes from command lines and connection files. Whatever it
// is, parsing either fails cleanly or gives a port in range, and a parsed
// endpoint formats into text that parses to the same port.
#include "net/Endpoint.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  plat::String host;
  int port = 0;
  try {
    net::parseEndpoint(text.c_str(), &host, &port, 5900, 100);
  } catch (const plat::Exception&) {
    return 0;
  }
  if (port < 1 || port > 65535)
    abort();
  plat::String again = net::formatEndpoint(host.c_str(), port, 5900, 100);
  plat::String host2;
  int port2 = 0;
  try {
    net::parseEndpoint(again.c_str(), &host2, &port2, 5900, 100);
  } catch (const plat::Exception&) {
    abort();
  }
  if (port2 != port || strcmp(host.c_str(), host2.c_str()) != 0)
    abort();
  return 0;
}
