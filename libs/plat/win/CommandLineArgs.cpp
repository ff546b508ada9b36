#include "plat/win/CommandLineArgs.h"
#include "plat/win/Unicode.h"

#include <cwctype>
#include <string>
#include <vector>

namespace plat {

CommandLineArgs::CommandLineArgs() : count_(0), args_(nullptr) { split(GetCommandLineW()); }

CommandLineArgs::CommandLineArgs(const wchar_t* commandLine) : count_(0), args_(nullptr) {
  split(commandLine);
}

CommandLineArgs::~CommandLineArgs() {
  for (int i = 0; i < count_; i++)
    delete[] args_[i];
  delete[] args_;
}

void CommandLineArgs::split(const wchar_t* commandLine) {
  std::vector<std::wstring> pieces;
  std::wstring current;
  bool started = false;
  wchar_t quote = 0;
  for (const wchar_t* p = commandLine ? commandLine : L""; *p; p++) {
    wchar_t c = *p;
    if (quote) {
      if (c == quote)
        quote = 0;
      else
        current += c;
    } else if (c == L'"' || c == L'\'') {
      quote = c;
      started = true;
    } else if (iswspace(c)) {
      if (started) {
        pieces.push_back(current);
        current.clear();
        started = false;
      }
    } else {
      current += c;
      started = true;
    }
  }
  if (started)
    pieces.push_back(current);

  args_ = new char*[pieces.size() + 1];
  for (const std::wstring& piece : pieces)
    args_[count_++] = W2MB(piece.c_str());
  args_[count_] = nullptr;
}

} // namespace plat
