#include "net/Endpoint.h"
#include "plat/DString.h"

#include <cstdlib>
#include <cstring>

namespace net {

plat::String formatEndpoint(const char* host, int port, int basePort, int range) {
  plat::DString text(64);
  if (strchr(host, ':') && host[0] != '[')
    text.appendf("[%s]", host);
  else
    text.append(host);
  if (port != basePort) {
    long long first = basePort;
    long long last = first + range - 1;
    if (range == 0)
      text.appendf(":%d", port);
    else if (port < first || port > last)
      text.appendf("::%d", port);
    else
      text.appendf(":%d", port - basePort);
  }
  return plat::String::adopt(text.release());
}

void parseEndpoint(const char* text, plat::String* host, int* port, int basePort, int range) {
  const char* searchFrom = text;
  if (text[0] == '[') {
    searchFrom = strchr(text, ']');
    if (!searchFrom)
      throw plat::Exception("unmatched [ in host");
  }
  const char* sep = strchr(searchFrom, ':');
  long long number;
  if (!sep) {
    if (basePort < 0)
      throw plat::Exception("unknown endpoint format");
    number = basePort;
  } else if (sep[1] == ':') {
    number = strtoll(sep + 2, nullptr, 10);
  } else {
    number = strtoll(sep + 1, nullptr, 10);
    // A negative display number is no display: it falls to the port check.
    if (basePort >= 0 && number >= 0 && number < range)
      number += basePort;
  }
  if (number < 1 || number > 65535)
    throw plat::Exception("bad port number");

  int hostLen = sep ? (int)(sep - text) : plat::strLen(text);
  *host = hostLen ? plat::String::adopt(plat::strDup(text, hostLen)) : plat::String("localhost");
  *port = (int)number;
}

} // namespace net
