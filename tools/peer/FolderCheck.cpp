#include "FolderCheck.h"

#include "os/win/DirIterator.h"
#include "plat/win/Unicode.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <vector>

namespace peer {

namespace {

std::string backslashes(std::string s) {
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
}

HANDLE openRead(const std::string& path) {
  plat::WString w(path.c_str());
  return CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool sameBytes(const std::string& a, const std::string& b) {
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

} // namespace

FolderCheck::FolderCheck(const std::string& sourceRoot, const SourceTree& source,
                         const std::string& fetchDir)
    : sourceRoot_(sourceRoot), source_(source), fetchDir_(fetchDir) {}

void FolderCheck::scan(const std::string& relative) {
  std::string dir = relative.empty() ? fetchDir_ : fetchDir_ + "\\" + relative;
  os::DirIterator it(dir.c_str(), "*");
  while (it.next()) {
    std::string name = relative.empty() ? it.name() : relative + "\\" + it.name();
    if (it.isDirectory()) {
      scan(name);
    } else {
      const WIN32_FIND_DATAW* data = it.findDataW();
      received_[name] = data ? ((uint64_t)data->nFileSizeHigh << 32 | data->nFileSizeLow) : 0;
    }
  }
}

bool FolderCheck::sizesArrived() {
  received_.clear();
  scan("");
  if (received_.size() != source_.files().size())
    return false;
  std::multiset<uint64_t> offered, got;
  for (const SourceFile& f : source_.files())
    offered.insert(f.size);
  for (const auto& r : received_)
    got.insert(r.second);
  return offered == got;
}

bool FolderCheck::verify(std::string* problem) {
  if (!sizesArrived()) {
    *problem = "the fetch folder does not hold the files offered";
    return false;
  }
  std::set<std::string> used;
  for (const SourceFile& f : source_.files()) {
    if (f.needsSanitising)
      continue;
    std::string expected = backslashes(f.advertised);
    if (!received_.count(expected) ||
        !sameBytes(sourceRoot_ + "\\" + f.relativePath, fetchDir_ + "\\" + expected)) {
      *problem = "differs or is missing: " + expected;
      return false;
    }
    used.insert(expected);
  }
  // The unsafe names: each file arrived once, under a name of its own.
  for (const SourceFile& f : source_.files()) {
    if (!f.needsSanitising)
      continue;
    bool found = false;
    for (const auto& r : received_) {
      if (used.count(r.first) || r.second != f.size)
        continue;
      if (sameBytes(sourceRoot_ + "\\" + f.relativePath, fetchDir_ + "\\" + r.first)) {
        if (r.first == backslashes(f.advertised)) {
          *problem = "saved under its unsafe name: " + f.advertised;
          return false;
        }
        used.insert(r.first);
        found = true;
        break;
      }
    }
    if (!found) {
      *problem = "missing or different: the file offered as \"" + f.advertised + "\"";
      return false;
    }
  }
  return true;
}

} // namespace peer
