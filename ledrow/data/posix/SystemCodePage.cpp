// The native build has no ANSI code page; Latin-1 stands in for it.
#include "ledrow/data/AnsiCodePage.h"

namespace addrbook {

const AnsiCodePage& AnsiCodePage::system() {
  static const Latin1CodePage latin1;
  return latin1;
}

} // namespace addrbook
