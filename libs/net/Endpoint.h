// Endpoint text: "host" alone, "host:N" for display N (port basePort + N),
// "host::port" for a port, and an IPv6 host in square brackets. Pure text
// handling, shared by the socket code and the address book.
#pragma once

#include "plat/String.h"

namespace net {

// Nothing follows the host when port equals basePort; a port inside
// basePort .. basePort + range - 1 is written as a display number, any other
// as "::port" (":port" when range is 0). A host with a ":" gets brackets.
plat::String formatEndpoint(const char* host, int port, int basePort, int range);

// The host keeps its brackets and is "localhost" when the text has none.
// Throws plat::Exception "unmatched [ in host", "unknown endpoint format"
// (no port and no basePort) or "bad port number" (outside 1..65535).
void parseEndpoint(const char* text, plat::String* host, int* port, int basePort, int range);

} // namespace net
