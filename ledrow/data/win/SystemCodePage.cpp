#include "ledrow/data/AnsiCodePage.h"
#include "plat/WipedString.h"
#include "plat/win/Unicode.h"

#include <cstring>
#include <cwchar>

namespace addrbook {

namespace {

// Wipes and frees a conversion result however the conversion ends.
template <typename Char> struct Wiped {
  Char* text = nullptr;
  ~Wiped() {
    if (text) {
      size_t n = 0;
      while (text[n])
        n++;
      plat::secureZero(text, (int)(n * sizeof(Char)));
      delete[] text;
    }
  }
};

class WindowsAnsiCodePage : public AnsiCodePage {
public:
  ZeroingBuffer toUtf8(const char* text) const override {
    Wiped<wchar_t> wide;
    wide.text = plat::MB2W(text, CP_ACP);
    Wiped<char> utf8;
    utf8.text = plat::W2MB(wide.text, CP_UTF8);
    return ZeroingBuffer::copyOf(utf8.text, (int)strlen(utf8.text));
  }
};

} // namespace

const AnsiCodePage& AnsiCodePage::system() {
  static const WindowsAnsiCodePage acp;
  return acp;
}

} // namespace addrbook
