#include "viewerconfig/ProxySetting.h"
#include "net/Endpoint.h"
#include "plat/String.h"

namespace viewerconfig {

const char* const systemProxyValue = "_msiesettings_";
const char* const proxyPlaceholder = "proxyserver:port";
const char* const proxyTypeNames[2] = {"httpconnect", "socks"};

ProxyChoice proxyChoice(const char* proxyServer) {
  if (!proxyServer || !*proxyServer)
    return NoProxy;
  return plat::strCaseCmp(proxyServer, systemProxyValue) == 0 ? SystemProxy : ManualProxy;
}

int proxyTypeIndex(const char* proxyType) {
  for (int i = 0; i < 2; i++)
    if (plat::strCaseCmp(proxyType ? proxyType : "", proxyTypeNames[i]) == 0)
      return i;
  return -1;
}

bool isValidProxyEndpoint(const char* text) {
  plat::String host;
  int port = 0;
  try {
    net::parseEndpoint(text ? text : "", &host, &port, -1, 0);
  } catch (const plat::Exception&) {
    return false;
  }
  return port >= 1 && port <= 65535;
}

} // namespace viewerconfig
