// A console for a program started with "-console": its standard streams are
// moved onto it.
#pragma once

namespace os {

class Console {
public:
  Console() : opened_(false) {}
  // Allocates the console and reopens stdin, stdout and stderr on it; only
  // the first call on an object does anything.
  void open();

private:
  bool opened_;
};

} // namespace os
