// Text in the system's ANSI code page, as passwords obfuscated by older
// programs hold it. The system's code page differs from machine to
// machine, so tests convert through a fixed one instead.
#pragma once

#include "ledrow/data/ZeroingBuffer.h"

namespace addrbook {

class AnsiCodePage {
public:
  virtual ~AnsiCodePage() {}
  // The UTF-8 form of a NUL-terminated text; copies made on the way are
  // wiped.
  virtual ZeroingBuffer toUtf8(const char* text) const = 0;

  // The code page Windows calls CP_ACP; Latin-1 in the native build.
  static const AnsiCodePage& system();
};

// ISO 8859-1: every byte is the code point of the same number.
class Latin1CodePage : public AnsiCodePage {
public:
  ZeroingBuffer toUtf8(const char* text) const override;
};

} // namespace addrbook
