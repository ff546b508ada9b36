#include "OptionsFixture.h"
#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/Formatters.h"
#include "rdr/Exception.h"
#include "rdr/MemInStream.h"
#include "rdr/MemOutStream.h"

#include <string>

using namespace addrbook;

namespace {

const char defaultFile[] = "[Connection]\n"
                           "UserName=tester\n"
                           "Encryption=Server\n"
                           "SelectDesktop=\n"
                           "ProxyServer=\n"
                           "ProxyType=\n"
                           "SingleSignOn=1\n"
                           "[Options]\n"
                           "UseLocalCursor=1\n"
                           "FullScreen=0\n"
                           "RelativePtr=0\n"
                           "FullColour=0\n"
                           "ColourLevel=pal8\n"
                           "PreferredEncoding=ZRLE\n"
                           "AutoSelect=1\n"
                           "Shared=1\n"
                           "SendPointerEvents=1\n"
                           "SendKeyEvents=1\n"
                           "ClientCutText=1\n"
                           "ServerCutText=1\n"
                           "ShareFiles=1\n"
                           "EnableChat=1\n"
                           "EnableRemotePrinting=1\n"
                           "ChangeServerDefaultPrinter=1\n"
                           "PointerEventInterval=0\n"
                           "Scaling=None\n"
                           "MenuKey=F8\n"
                           "EnableToolbar=1\n"
                           "AutoReconnect=1\n"
                           "Protocol3.3=0\n"
                           "AcceptBell=1\n"
                           "ScalePrintOutput=1\n"
                           "PasswordFile=\n"
                           "VerifyId=2\n"
                           "IdHash=\n"
                           "FullScreenChangeResolution=0\n"
                           "UseAllMonitors=0\n"
                           "Emulate3=0\n"
                           "DisableWinKeys=1\n"
                           "SuppressIME=1\n"
                           "Monitor=\n";

std::string written(CConnOptions& o, bool includePassword = true, bool optionsOnly = false,
                    CConnOptions::Formatter* formatter = nullptr) {
  rdr::MemOutStream out;
  o.write(out, includePassword, optionsOnly, formatter);
  return std::string((const char*)out.data(), out.length());
}

void readText(CConnOptions& o, const std::string& text) {
  rdr::MemInStream in(text.data(), (int)text.size());
  o.read(in);
}

std::string readError(const std::string& text) {
  CConnOptions o;
  try {
    readText(o, text);
  } catch (const plat::Exception& e) {
    return e.str();
  }
  return "(no error)";
}

std::string hostAfter(const std::string& text) {
  CConnOptions o;
  readText(o, text);
  return o.getHost() ? o.getHost() : "(null)";
}

// Records the walk as text, one call a line.
struct RecordingFormatter : CConnOptions::Formatter {
  std::string calls;
  void begin(rdr::OutStream&, bool pw, bool only) override {
    calls += "begin " + std::to_string(pw) + std::to_string(only) + "\n";
  }
  void beginSection(const char* name, rdr::OutStream&, bool) override {
    calls += std::string("section ") + name + "\n";
  }
  void param(const char* name, const char* value, rdr::OutStream&) override {
    if (std::string(name) == "EncryptedPassword" || std::string(name) == "DotKivFileSignature")
      calls += std::string(name) + "=" + value + "\n";
  }
  void endSection(const char* name, rdr::OutStream&) override {
    calls += std::string("end ") + name + "\n";
  }
  void end(rdr::OutStream&) override { calls += "end\n"; }
};

} // namespace

TEST_F(OptionsTest, DefaultFileText) {
  CConnOptions o;
  EXPECT_EQ(defaultFile, written(o));
}

TEST_F(OptionsTest, ConnectionSectionPairs) {
  CConnOptions o;
  o.setHost("srv:1");
  o.setPassword("password");
  o.setIdentity({0xab, 0x01});
  std::string text = written(o);
  EXPECT_EQ(0u, text.find("[Connection]\n"
                          "Host=srv:1\n"
                          "UserName=tester\n"
                          "Password=e5fd5abf1ea8512d\n"
                          "Identity=ab01\n"
                          "Encryption=Server\n"))
      << text;

  std::string noPassword = written(o, false);
  EXPECT_EQ(std::string::npos, noPassword.find("Password="));
  EXPECT_NE(std::string::npos, noPassword.find("Identity=ab01\n"));

  std::string optionsOnly = written(o, true, true);
  EXPECT_EQ(0u, optionsOnly.find("[Options]\nUseLocalCursor=1\n"));
  EXPECT_EQ(std::string::npos, optionsOnly.find("[Connection]"));
}

TEST_F(OptionsTest, RoundTrip) {
  CConnOptions a;
  a.setHost("[::1]::22");
  a.setPassword("p\xc3\xa4ss");
  a.setIdentity({1, 2, 3});
  a.fullScreen.setParam("1", 50);
  a.scaling.setParam("80%", 50);
  a.menuKey.setParam("", 50);
  a.proxyType.setParam("httpconnect", 50);
  a.idHash.setParam("00ff", 50);
  a.userName.setParam("J\xc3\xb6rg", 50);
  a.monitor.setParam("a=b=c", 50);
  readText(a, "[Options]\nFutureOption=42\nAnother=x\n");
  std::string first = written(a);

  CConnOptions b;
  readText(b, first);
  EXPECT_EQ(first, written(b));
  EXPECT_TRUE(b.equals(a));
  EXPECT_TRUE(b.getPassword().equals(a.getPassword().data(), a.getPassword().length()));
  EXPECT_STREQ("[::1]::22", b.getHost());
  EXPECT_STREQ("a=b=c", b.monitor.getValueStr().c_str());
  EXPECT_EQ(2u, b.getExtraOptions().size());
  EXPECT_EQ("42", b.getExtraOptions().at("FutureOption"));
  // Extras follow the options, ordered by name.
  EXPECT_NE(std::string::npos, first.find("Monitor=a=b=c\nAnother=x\nFutureOption=42\n"));
}

TEST_F(OptionsTest, ValuesReadAtUserPriority) {
  CConnOptions o;
  readText(o, "[Options]\nColourLevel=2\nFullScreen=1\n");
  EXPECT_STREQ("pal8", o.colourLevel.getValueStr().c_str());
  EXPECT_EQ(50, o.colourLevel.getPriority());
  EXPECT_EQ(50, o.fullScreen.getPriority());
}

TEST_F(OptionsTest, LineEnds) {
  CConnOptions lf, crlf;
  readText(lf, "[Options]\nScaling=Fit\nMonitor=2\n");
  readText(crlf, "[Options]\r\nScaling=Fit\r\nMonitor=2\r\n");
  EXPECT_TRUE(lf.equals(crlf));
  EXPECT_STREQ("Fit", crlf.scaling.getValueStr().c_str());

  CConnOptions cr;
  readText(cr, "[Options]\nScaling=F\rit\nMonitor=3"); // no last line feed
  EXPECT_STREQ("Fit", cr.scaling.getValueStr().c_str());
  EXPECT_STREQ("3", cr.monitor.getValueStr().c_str());

  CConnOptions empty, fresh;
  readText(empty, "");
  EXPECT_EQ(written(fresh), written(empty));
}

TEST_F(OptionsTest, LineLengthLimit) {
  std::string prefix = "Monitor=";
  std::string longest = prefix + std::string(CConnOptions::MaxLineLength - prefix.size(), 'x');
  ASSERT_EQ(4095u, longest.size());
  CConnOptions o;
  readText(o, "[Options]\n" + longest + "\n");
  EXPECT_EQ(4095u - prefix.size(), o.monitor.getValueStr().length() + 0u);
  // Carriage returns do not count.
  readText(o, "[Options]\r\n" + longest + "\r\r\n");

  EXPECT_EQ("Line too long", readError("[Options]\n" + longest + "y\n"));
  EXPECT_EQ("Line too long", readError("[Options]\n" + longest + "y"));
  EXPECT_EQ("Line too long", readError(std::string(100000, 'z')));
}

TEST_F(OptionsTest, ReadLineStoresAtMostCapacity) {
  std::string text(10, 'a');
  rdr::MemInStream in(text.data(), (int)text.size());
  char buffer[5] = {'-', '-', '-', '-', '-'};
  EXPECT_EQ(4, CConnOptions::readLine(in, buffer, 4));
  EXPECT_STREQ("aaaa", buffer); // the terminator sits in the last byte
  EXPECT_EQ(4, CConnOptions::readLine(in, buffer, 4));
  EXPECT_EQ(2, CConnOptions::readLine(in, buffer, 4));
  EXPECT_THROW(CConnOptions::readLine(in, buffer, 4), rdr::EndOfStream);
}

TEST_F(OptionsTest, Sections) {
  EXPECT_EQ("bad Section", readError("[Options\nScaling=Fit\n"));
  EXPECT_EQ("bad Name/Value pair", readError("[Options]\nScaling\n"));
  EXPECT_EQ("(no error)", readError("Scaling\n[Options]\n")); // before any section

  CConnOptions o;
  readText(o, "Scaling=Fit\n; comment\n\n[Options] trailing\nMonitor=1\n");
  EXPECT_STREQ("None", o.scaling.getValueStr().c_str());
  EXPECT_STREQ("1", o.monitor.getValueStr().c_str());

  // Options are found whatever the section.
  readText(o, "[Connection]\nFullScreen=1\n[Elsewhere]\nEmulate3=1\n");
  EXPECT_TRUE(o.fullScreen.getValue());
  EXPECT_TRUE(o.emulate3.getValue());
}

TEST_F(OptionsTest, SectionNamesExactOrNot) {
  CConnOptions o;
  readText(o, "[connection]\nHost=srv\nPassword=e5fd5abf1ea8512d\nIdentity=01\n");
  EXPECT_STREQ("srv", o.getHost());
  EXPECT_TRUE(o.getPassword().empty());
  EXPECT_TRUE(o.getIdentity().empty());

  readText(o, "[Connection]\nhost=srv2\npassword=E5FD5ABF1EA8512D\nidentity=0A\n");
  EXPECT_STREQ("srv2", o.getHost());
  EXPECT_EQ(8, o.getPassword().length());
  EXPECT_EQ((plat::Bytes{10}), o.getIdentity());

  readText(o, "[Connection]\nPassword=abc\n"); // odd: no password at all
  EXPECT_TRUE(o.getPassword().empty());
  readText(o, "[Connection]\nOther=1\n[options]\nLegacyThing=1\n");
  EXPECT_TRUE(o.getExtraOptions().empty());
}

TEST_F(OptionsTest, PortMergesIntoHost) {
  EXPECT_EQ("srv:1", hostAfter("[Connection]\nHost=srv\nPort=5901\n"));
  EXPECT_EQ("srv", hostAfter("[Connection]\nHost=srv\nPort=5900\n"));
  EXPECT_EQ("srv::22", hostAfter("[Connection]\nPort=22\nHost=srv\n"));
  EXPECT_EQ("[::1]:2", hostAfter("[Connection]\nHost=::1\nPort=5902\n"));
  EXPECT_EQ("srv::23", hostAfter("[Connection]\nHost=srv\nPort=22\nport=23\n"));
  EXPECT_EQ("srv", hostAfter("[Connection]\nHost=srv\nPort=0\n"));
  EXPECT_EQ("(null)", hostAfter("[Connection]\nPort=5901\n"));
}

TEST_F(OptionsTest, ReadErrors) {
  EXPECT_EQ("Invalid UTF-8 encoding for Host", readError("[Connection]\nHost=\xff\n"));
  EXPECT_EQ("Invalid UTF-8 encoding for Host",
            readError("[Connection]\nHost=\xf4\x90\x80\x80\n")); // beyond U+10FFFF
  // What came before the error stays applied; the port is not merged.
  CConnOptions o;
  try {
    readText(o, "[Connection]\nHost=srv\nPort=5901\nFullScreen=1\n[Options\n");
    FAIL();
  } catch (const plat::Exception& e) {
    EXPECT_STREQ("bad Section", e.str());
  }
  EXPECT_TRUE(o.fullScreen.getValue());
  EXPECT_STREQ("srv", o.getHost());
}

// A zero byte would cut a name or value short where another reader keeps
// every byte; an over-long form in a host stays as it was read, as the hash
// and the viewer see it.
TEST_F(OptionsTest, LinesAreTakenWhole) {
  using namespace std::string_literals;
  EXPECT_EQ("NUL byte in line", readError("[Connection]\nHost=safe\0.evil\n"s));
  EXPECT_EQ("NUL byte in line", readError("[Options]\nFull\0Screen=1\n"s));
  EXPECT_EQ("NUL byte in line", readError("; note\0\n[Options]\n"s));
  CConnOptions o;
  readText(o, "[Connection]\nHost=srv\xc0\xae" "example\n");
  EXPECT_STREQ("srv\xc0\xae" "example", o.getHost());
  EXPECT_NE(std::string::npos, written(o).find("\nHost=srv\xc0\xae" "example\n"));
}

TEST_F(OptionsTest, RefusedValuesLeaveOptionsAlone) {
  CConnOptions o;
  readText(o, "[Options]\nMenuKey=F13\nVerifyId=abc\nScaling=\xff\xfe\nIdHash=abc\nMonitor=2\n");
  EXPECT_STREQ("F8", o.menuKey.getValueStr().c_str());
  EXPECT_EQ(2, o.verifyId.getValue());
  EXPECT_STREQ("None", o.scaling.getValueStr().c_str());
  EXPECT_EQ(100, o.idHash.getPriority());
  EXPECT_STREQ("2", o.monitor.getValueStr().c_str());
}

TEST_F(OptionsTest, LegacyNames) {
  CConnOptions o;
  readText(o, "[Options]\nAutoDetect=0\nPreferred_Encoding=hextile\n8bit=0\nViewOnly=1\n"
              "DisableClipboard=1\n");
  EXPECT_FALSE(o.autoSelect.getValue());
  EXPECT_STREQ("Hextile", o.preferredEncoding.getValueStr().c_str());
  EXPECT_TRUE(o.fullColour.getValue());
  EXPECT_FALSE(o.sendPointerEvents.getValue());
  EXPECT_FALSE(o.sendKeyEvents.getValue());
  EXPECT_FALSE(o.clientCutText.getValue());
  EXPECT_FALSE(o.serverCutText.getValue());
  EXPECT_EQ(50, o.serverCutText.getPriority());

  readText(o, "[Options]\nsendptrevents=7\nACCEPTCUTTEXT=1\nSendCutText=x\n8BIT=1\n");
  EXPECT_TRUE(o.sendPointerEvents.getValue());
  EXPECT_TRUE(o.serverCutText.getValue());
  EXPECT_FALSE(o.clientCutText.getValue()); // "x" reads as 0
  EXPECT_FALSE(o.fullColour.getValue());
  EXPECT_TRUE(o.getExtraOptions().empty());

  // Aliases are options too, found before the legacy names.
  readText(o, "[Options]\nSendClipboard=1\nFullColor=1\n");
  EXPECT_TRUE(o.clientCutText.getValue());
  EXPECT_TRUE(o.fullColour.getValue());
}

TEST_F(OptionsTest, ExtraOptionsAreReplacedAndClearedPerRead) {
  CConnOptions o;
  readText(o, "[Options]\nB=1\nA=1\nB=2\n");
  ASSERT_EQ(2u, o.getExtraOptions().size());
  EXPECT_EQ("2", o.getExtraOptions().at("B"));
  readText(o, "[Options]\nC=3\n");
  ASSERT_EQ(1u, o.getExtraOptions().size());
  EXPECT_EQ("3", o.getExtraOptions().at("C"));
}

TEST_F(OptionsTest, Appenders) {
  CConnOptions o;
  RecordingFormatter rec;
  EncryptedPasswordAppender pw(&rec, "cafe");
  SignatureAppender sig(&pw, "f00d");
  written(o, false, false, &sig);
  EXPECT_EQ("begin 00\n"
            "section Connection\n"
            "end Connection\n"
            "section Options\n"
            "EncryptedPassword=cafe\n"
            "end Options\n"
            "section Signature\n"
            "DotKivFileSignature=f00d\n"
            "end Signature\n"
            "end\n",
            rec.calls);

  SignatureAppender text(&DefaultFormatter::instance, "0123");
  std::string signedFile = written(o, true, true, &text);
  std::string tail = "[Signature]\nDotKivFileSignature=0123\n";
  ASSERT_GT(signedFile.size(), tail.size());
  EXPECT_EQ(tail, signedFile.substr(signedFile.size() - tail.size()));

  // The signature section reads back without changing the options.
  CConnOptions back;
  readText(back, signedFile);
  EXPECT_TRUE(back.equals(o));
  EXPECT_TRUE(back.getExtraOptions().empty());
}

// A value with a line break, or a name the reader would take for something
// else, would change the file's meaning when read back: the writer refuses
// the line instead.
TEST_F(OptionsTest, WriterRefusesLinesThatWouldNotReadBack) {
  const std::pair<const char*, const char*> refused[] = {
      {"Extra", "one\nFullScreen=1"}, {"Extra", "cr\r"},  {"a=b", "v"},
      {"[Section]", "v"},             {";comment", "v"}, {"line\nbreak", "v"},
  };
  for (const auto& pair : refused) {
    DefaultFormatter f;
    rdr::MemOutStream out;
    try {
      f.param(pair.first, pair.second, out);
      ADD_FAILURE() << pair.first;
    } catch (const plat::Exception& e) {
      EXPECT_STREQ("bad Name/Value pair", e.str());
    }
    EXPECT_EQ(0, out.length());
  }
  DefaultFormatter f;
  rdr::MemOutStream out;
  EXPECT_THROW(f.beginSection("a]b", out, true), plat::Exception);
  EXPECT_THROW(f.beginSection("a\nb", out, true), plat::Exception);
  // Allowed: "=" and ";" inside a value, an empty value, a line of the
  // longest length.
  f.param("Name", "a=b;[c]", out);
  f.param("Empty", "", out);
  f.param("Long", std::string(CConnOptions::MaxLineLength - 5, 'v').c_str(), out);
  EXPECT_THROW(f.param("Long", std::string(CConnOptions::MaxLineLength - 4, 'v').c_str(), out),
               plat::Exception);

  // A host that carries a line feed cannot be saved.
  CConnOptions o;
  o.setHost("srv\nPassword=00");
  EXPECT_THROW(written(o), plat::Exception);
}
