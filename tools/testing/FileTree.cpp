#include "testing/FileTree.h"
#include "testing/TempDir.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace testing_support {

void removeTree(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..")
        continue;
      std::wstring full = dir + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(full);
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

static HANDLE openRead(const std::string& path) {
  return CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool sameFileContents(const std::string& a, const std::string& b) {
  HANDLE ha = openRead(a);
  HANDLE hb = openRead(b);
  bool same = ha != INVALID_HANDLE_VALUE && hb != INVALID_HANDLE_VALUE;
  std::vector<char> ba(1 << 20), bb(1 << 20);
  while (same) {
    DWORD na = 0, nb = 0;
    same = ReadFile(ha, ba.data(), (DWORD)ba.size(), &na, nullptr) &&
           ReadFile(hb, bb.data(), (DWORD)bb.size(), &nb, nullptr) && na == nb &&
           memcmp(ba.data(), bb.data(), na) == 0;
    if (na == 0)
      break;
  }
  if (ha != INVALID_HANDLE_VALUE)
    CloseHandle(ha);
  if (hb != INVALID_HANDLE_VALUE)
    CloseHandle(hb);
  return same;
}

} // namespace testing_support
