// A file's attributes, times and size.
#pragma once

#include <windows.h>

namespace os {

class FileInfo {
public:
  // UTF-8 path; falls back to the ANSI calls where the wide one is missing.
  explicit FileInfo(const char* path);

  const WIN32_FILE_ATTRIBUTE_DATA& data() const { return data_; }
  DWORD attributes() const { return data_.dwFileAttributes; }
  unsigned long long size() const {
    return (unsigned long long)data_.nFileSizeHigh << 32 | data_.nFileSizeLow;
  }

private:
  void fillAnsi(const char* path);

  WIN32_FILE_ATTRIBUTE_DATA data_;
};

} // namespace os
