// What the ProxyServer and ProxyType options hold, as the connection page
// shows them: no proxy (empty), the system's settings ("_msiesettings_"),
// or an endpoint of the user's with a protocol.
#pragma once

namespace viewerconfig {

enum ProxyChoice { NoProxy, SystemProxy, ManualProxy };

// The ProxyServer value that stands for the system's settings.
extern const char* const systemProxyValue;
// What a new manual proxy starts with: a reminder, not an endpoint.
extern const char* const proxyPlaceholder;
// The ProxyType names, by the page's list index.
extern const char* const proxyTypeNames[2];

ProxyChoice proxyChoice(const char* proxyServer);
// The list index of a ProxyType value (in any case), or -1.
int proxyTypeIndex(const char* proxyType);
// hostname:port, IPv4-address:port or [IPv6-address]:port with a port of 1
// to 65535; there is no default port.
bool isValidProxyEndpoint(const char* text);

} // namespace viewerconfig
