// Reading connection files: lines of "[section]" and "name=value".
#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/LineRules.h"
#include "net/Endpoint.h"
#include "plat/RaisedFlag.h"
#include "plat/String.h"
#include "rdr/Exception.h"
#include "rdr/InStream.h"

#include <cstdlib>
#include <cstring>

namespace addrbook {

namespace {

// The viewer's base port and the range of display numbers.
const int BasePort = 5900;
const int DisplayRange = 100;

bool isFalseNumber(const char* value) { return strtol(value, nullptr, 10) == 0; }

const char* boolText(bool value) { return value ? "1" : "0"; }

// Hexadecimal into bytes; an odd length or a non-digit leaves nothing.
void decodeHex(const char* text, ZeroingBytes* out) {
  out->clear();
  int len = plat::strLen(text);
  ZeroingBytes bytes;
  if (len && plat::hexToBin(text, len, bytes.allocate(len / 2)))
    *out = std::move(bytes);
}

} // namespace

// Takes what the stream holds a run at a time rather than a byte per call:
// every pair of a file passes through here.
int CConnOptions::readLine(rdr::InStream& in, char* buffer, int capacity) {
  int n = 0;
  while (n < capacity) {
    if (in.avail() == 0) {
      try {
        in.check(true, 1);
      } catch (const rdr::EndOfStream&) {
        if (n == 0)
          throw;
        break;
      }
    }
    const char* p = (const char*)in.getptr();
    const char* end = (const char*)in.getend();
    const char* lineEnd = (const char*)memchr(p, '\n', end - p);
    const char* stop = lineEnd ? lineEnd : end;
    // The runs between carriage returns, each cut to the room left.
    while (p < stop && n < capacity) {
      const char* cr = (const char*)memchr(p, '\r', stop - p);
      const char* runEnd = cr ? cr : stop;
      int take = (int)(runEnd - p) < capacity - n ? (int)(runEnd - p) : capacity - n;
      memcpy(buffer + n, p, take);
      n += take;
      p += take;
      if (p == cr && n < capacity)
        p++;
    }
    if (p == lineEnd && n < capacity) {
      in.setptr((const uint8_t*)p + 1);
      break;
    }
    in.setptr((const uint8_t*)p);
  }
  buffer[n] = 0;
  return n;
}

void CConnOptions::read(rdr::InStream& in) {
  extraOptions_.clear();
  plat::String section;
  bool inConnection = false;
  long port = 0;
  char line[MaxLineLength + 2];
  for (;;) {
    int length;
    try {
      length = readLine(in, line, MaxLineLength + 1);
    } catch (const rdr::EndOfStream&) {
      break;
    }
    if (length > MaxLineLength)
      throw plat::Exception("Line too long");
    // What follows a zero byte would be lost to every name and value here,
    // while another reader may keep it: the line would mean two things.
    if (memchr(line, 0, length))
      throw plat::Exception("NUL byte in line");
    if (line[0] == 0 || line[0] == ';')
      continue;
    if (line[0] == '[') {
      char* close = strchr(line, ']');
      if (!close)
        throw plat::Exception("bad Section");
      section = plat::String::adopt(plat::strDup(line + 1, (int)(close - line - 1)));
      inConnection = plat::strCaseCmp(section.c_str(), "Connection") == 0;
      continue;
    }
    if (section.isNull())
      continue;
    char* eq = strchr(line, '=');
    if (!eq)
      throw plat::Exception("bad Name/Value pair");
    *eq = 0;
    const char* name = line;
    const char* value = eq + 1;
    if (inConnection) {
      if (plat::strCaseCmp(name, "Host") == 0) {
        // Taken as it stands, over-long forms included, so that the host in
        // use is the one hashed (and the one the viewer reads).
        if (!hostReadsBack(value))
          throw plat::Exception("Invalid UTF-8 encoding for Host");
        host_ = value;
      } else if (plat::strCaseCmp(name, "Port") == 0) {
        port = strtol(value, nullptr, 10);
      }
    }
    setFromFile(name, value, section.c_str());
  }
  if (!host_.isNull() && port != 0)
    host_ = net::formatEndpoint(host_.c_str(), (int)port, BasePort, DisplayRange);
}

void CConnOptions::setFromFile(const char* name, const char* value, const char* section) {
  if (plat::ConfigParameter* p = get(name)) {
    plat::RaisedFlag pair(takingText_);
    try {
      p->setParam(value, plat::PriorityUser);
    } catch (const plat::Exception&) {
      // Text that is not UTF-8: the option refuses it like any other value
      // it cannot take, and the rest of the file still applies.
    }
    return;
  }
  if (strcmp(section, "Connection") == 0) {
    if (plat::strCaseCmp(name, "Password") == 0) {
      decodeHex(value, &password_);
    } else if (plat::strCaseCmp(name, "Identity") == 0) {
      ZeroingBytes identity;
      decodeHex(value, &identity);
      identity_.assign(identity.data(), identity.data() + identity.length());
    }
  } else if (strcmp(section, "Options") == 0) {
    applyLegacyOption(name, value);
  }
}

// Names older viewers wrote into the "Options" section; anything else there
// is kept as it was read.
void CConnOptions::applyLegacyOption(const char* name, const char* value) {
  const int prio = plat::PriorityUser;
  if (plat::strCaseCmp(name, "AutoDetect") == 0) {
    autoSelect.setParam(value, prio);
  } else if (plat::strCaseCmp(name, "Preferred_Encoding") == 0) {
    preferredEncoding.setParam(value, prio);
  } else if (plat::strCaseCmp(name, "8bit") == 0) {
    fullColour.setParam(boolText(isFalseNumber(value)), prio);
  } else if (plat::strCaseCmp(name, "ViewOnly") == 0) {
    sendPointerEvents.setParam(boolText(isFalseNumber(value)), prio);
    sendKeyEvents.setParam(boolText(isFalseNumber(value)), prio);
  } else if (plat::strCaseCmp(name, "DisableClipboard") == 0) {
    clientCutText.setParam(boolText(isFalseNumber(value)), prio);
    serverCutText.setParam(boolText(isFalseNumber(value)), prio);
  } else if (plat::strCaseCmp(name, "SendPtrEvents") == 0) {
    sendPointerEvents.setParam(boolText(!isFalseNumber(value)), prio);
  } else if (plat::strCaseCmp(name, "AcceptCutText") == 0) {
    serverCutText.setParam(boolText(!isFalseNumber(value)), prio);
  } else if (plat::strCaseCmp(name, "SendCutText") == 0) {
    clientCutText.setParam(boolText(!isFalseNumber(value)), prio);
  } else {
    extraOptions_[name] = value;
  }
}

} // namespace addrbook
