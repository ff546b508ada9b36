#include "testing/TempDir.h"
#include "testing/FileTree.h"

#include <cstdio>
#include <stdexcept>

namespace testing_support {

std::string utf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  std::string s(n, 0);
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &s[0], n, nullptr, nullptr);
  return s;
}

std::wstring wide(const std::string& s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), (int)s.size(), nullptr, 0);
  std::wstring w(n, 0);
  MultiByteToWideChar(CP_UTF8, 0, s.c_str(), (int)s.size(), &w[0], n);
  return w;
}

TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static unsigned counter;
  for (;;) {
    wchar_t name[64];
    swprintf(name, 64, L"kivtest-%lu-%u", GetCurrentProcessId(), ++counter);
    std::wstring dir = std::wstring(base) + name;
    if (CreateDirectoryW(dir.c_str(), nullptr)) {
      path_ = utf8(dir);
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      throw std::runtime_error("cannot create a temporary directory");
  }
}

TempDir::~TempDir() { removeTree(wide(path_)); }

std::string readFile(const std::string& path) {
  FILE* f = _wfopen(wide(path).c_str(), L"rb");
  if (!f)
    throw std::runtime_error("cannot open " + path);
  std::string data;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
    data.append(buf, n);
  fclose(f);
  return data;
}

void writeFile(const std::string& path, const std::string& data) {
  FILE* f = _wfopen(wide(path).c_str(), L"wb");
  if (!f)
    throw std::runtime_error("cannot create " + path);
  fwrite(data.data(), 1, data.size(), f);
  fclose(f);
}

} // namespace testing_support
