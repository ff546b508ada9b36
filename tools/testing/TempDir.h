// A fresh directory under the system's temporary folder, removed with its
// contents when the test ends.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

std::string utf8(const std::wstring& w);
std::wstring wide(const std::string& s);

class TempDir {
public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  // path() + "\\" + name
  std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& data);

} // namespace testing_support
