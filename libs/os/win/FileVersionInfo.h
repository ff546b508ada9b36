// The version resource of an executable file, and its strings.
#pragma once

#include "plat/String.h"

#include <windows.h>

#include <memory>

namespace os {

class FileVersionInfo {
public:
  // A null path reads the program's own file.
  explicit FileVersionInfo(const char* path = nullptr);

  // The string key ("ProductVersion", ...) of the block for a language and
  // code page ("040904b0" is 0x040904b0); valid until the next call. Throws
  // "VerQueryValue failed" when the block lacks it.
  const char* getString(const char* key, DWORD languageCodePage);

private:
  std::unique_ptr<BYTE[]> block_;
  plat::String lastString_;
};

} // namespace os
