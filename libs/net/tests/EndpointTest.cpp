#include "net/Endpoint.h"

#include <gtest/gtest.h>

#include <string>

using net::formatEndpoint;
using net::parseEndpoint;

namespace {

struct Parsed {
  std::string host;
  int port;
};

Parsed parse(const char* text, int basePort = 5900, int range = 100) {
  plat::String host;
  int port = -1;
  parseEndpoint(text, &host, &port, basePort, range);
  return {host.c_str(), port};
}

std::string parseError(const char* text, int basePort = 5900, int range = 100) {
  try {
    parse(text, basePort, range);
  } catch (const plat::Exception& e) {
    return e.str();
  }
  return "(no error)";
}

} // namespace

TEST(ParseEndpoint, DisplaysPortsAndDefaults) {
  Parsed p = parse("host:5");
  EXPECT_EQ("host", p.host);
  EXPECT_EQ(5905, p.port);
  EXPECT_EQ(5, parse("host::5").port);
  EXPECT_EQ(5900, parse("host").port);
  EXPECT_EQ(6000, parse("host:6000").port); // beyond the display range
  EXPECT_EQ(99, parse("host:99", -1, 100).port); // no base port: a port
  EXPECT_EQ("localhost", parse(":1").host);
  EXPECT_EQ("localhost", parse("").host);
  EXPECT_EQ(5900, parse("").port);
  EXPECT_EQ(5900, parse("host:0").port); // display 0
}

TEST(ParseEndpoint, BracketedHosts) {
  Parsed p = parse("[::1]::5900");
  EXPECT_EQ("[::1]", p.host);
  EXPECT_EQ(5900, p.port);
  EXPECT_EQ(5902, parse("[fe80::1]:2").port);
  EXPECT_EQ(5900, parse("[::1]").port);
}

TEST(ParseEndpoint, Errors) {
  EXPECT_EQ("unknown endpoint format", parseError("host", -1, -1));
  EXPECT_EQ("bad port number", parseError("host:0", -1, 100));
  EXPECT_EQ("bad port number", parseError("host::0"));
  EXPECT_EQ("bad port number", parseError("host::70000"));
  EXPECT_EQ("bad port number", parseError("host::99999999999999999999"));
  EXPECT_EQ("bad port number", parseError("host:-5")); // not a display
  EXPECT_EQ("bad port number", parseError("host::x"));
  EXPECT_EQ("unmatched [ in host", parseError("[::1::5900"));
}

TEST(FormatEndpoint, Forms) {
  EXPECT_STREQ("[::1]::5900", formatEndpoint("::1", 5900, -1, -1).c_str());
  EXPECT_STREQ("[::1]::5900", formatEndpoint("[::1]", 5900, -1, -1).c_str());
  EXPECT_STREQ("h:5", formatEndpoint("h", 5905, 5900, 100).c_str());
  EXPECT_STREQ("h", formatEndpoint("h", 5900, 5900, 100).c_str());
  EXPECT_STREQ("h::22", formatEndpoint("h", 22, 5900, 100).c_str());
  EXPECT_STREQ("h::6000", formatEndpoint("h", 6000, 5900, 100).c_str());
  EXPECT_STREQ("h:22", formatEndpoint("h", 22, 5900, 0).c_str());
  EXPECT_STREQ("[::1]:2", formatEndpoint("::1", 5902, 5900, 100).c_str());
}

TEST(FormatEndpoint, ParsesBack) {
  const int ports[] = {1, 22, 5900, 5901, 5999, 6000, 65535};
  for (int port : ports) {
    plat::String text = formatEndpoint("srv", port, 5900, 100);
    Parsed p = parse(text.c_str());
    EXPECT_EQ("srv", p.host) << text.c_str();
    EXPECT_EQ(port, p.port) << text.c_str();
  }
}
