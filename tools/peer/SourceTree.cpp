#include "SourceTree.h"

#include "ferrin/upload/win/FileProxyWin32File.h"
#include "testing/Pattern.h"
#include "plat/win/Unicode.h"

#include <windows.h>

#include <stdexcept>

namespace peer {

namespace {

std::wstring wide(const std::string& s) {
  plat::WString w(s.c_str());
  return w.c_str();
}

std::string slashes(std::string s) {
  for (char& c : s)
    if (c == '\\')
      c = '/';
  return s;
}

} // namespace

SourceTree::SourceTree(const std::string& root, const TreeShape& shape) : root_(root) {
  uint32_t seed = 1;
  if (shape.largeBytes)
    add("large.bin", "large.bin", shape.largeBytes, seed++, false);
  if (shape.smallFiles) {
    addFolder("small");
    for (int i = 0; i < shape.smallFiles; i++) {
      // Up to 100 files a folder, folders two deep.
      std::string dir = "small\\d" + std::to_string(i / 1000);
      std::string sub = dir + "\\s" + std::to_string(i / 100 % 10);
      if (i % 1000 == 0)
        addFolder(dir);
      if (i % 100 == 0)
        addFolder(sub);
      std::string path = sub + "\\f" + std::to_string(i) + ".dat";
      add(path, slashes(path), shape.smallBytes, seed++, false);
    }
  }
  for (int i = 0; i < shape.topFiles; i++) {
    std::string name = "notes " + std::to_string(i) + ".txt";
    add(name, name, 2000 + 100 * i, seed++, false);
    if (shape.topLinks)
      addHardLink("notes " + std::to_string(i) + " link.txt");
  }
  if (shape.awkwardNames) {
    addFolder("docs");
    addFolder("docs\\nested");
    addFolder("docs\\nested\\deeper");
    add("docs\\readme.txt", "docs/readme.txt", 5000, seed++, false);
    add("docs\\nested\\deeper\\data.bin", "docs/nested/deeper/data.bin", 300000, seed++, false);
    add("docs\\empty.txt", "docs/empty.txt", 0, seed++, false);
    // Names the receiver must make safe: devices in any case, a drive
    // letter, characters Windows refuses, trailing dots and blanks. (Names
    // with "." or ".." components never get this far: the receiver refuses
    // the listing.)
    const char* unsafe[] = {"Nul.txt", "COM1", "aux.log", "C:/drive.txt", "what?: \"no\". ",
                            "docs/prn.txt"};
    int n = 0;
    for (const char* name : unsafe) {
      add("unsafe" + std::to_string(n) + ".bin", name, 1000 + 7 * n, seed++, true);
      n++;
    }
  }
}

void SourceTree::addFolder(const std::string& relativePath) {
  std::string full = root_ + "\\" + relativePath;
  if (!CreateDirectoryW(wide(full).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    throw std::runtime_error("cannot create " + full);
  folders_.push_back(relativePath);
}

void SourceTree::add(const std::string& relativePath, const std::string& advertised,
                     uint64_t size, uint32_t seed, bool needsSanitising) {
  std::string full = root_ + "\\" + relativePath;
  HANDLE h = CreateFileW(wide(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    throw std::runtime_error("cannot create " + full);
  std::vector<char> buf(1 << 20);
  for (uint64_t done = 0; done < size;) {
    size_t n = (size_t)std::min<uint64_t>(buf.size(), size - done);
    testing_support::fillPattern(seed, done, buf.data(), n);
    DWORD written = 0;
    if (!WriteFile(h, buf.data(), (DWORD)n, &written, nullptr) || written != n) {
      CloseHandle(h);
      throw std::runtime_error("cannot write " + full);
    }
    done += n;
  }
  CloseHandle(h);
  files_.push_back({relativePath, advertised, size, needsSanitising});
}

void SourceTree::addHardLink(const std::string& relativePath) {
  SourceFile target = files_.back();
  std::string full = root_ + "\\" + relativePath;
  if (!CreateHardLinkW(wide(full).c_str(), wide(root_ + "\\" + target.relativePath).c_str(),
                       nullptr))
    throw std::runtime_error("cannot link " + full);
  files_.push_back({relativePath, slashes(relativePath), target.size, false});
}

uint64_t SourceTree::totalBytes() const {
  uint64_t total = 0;
  for (const SourceFile& f : files_)
    total += f.size;
  return total;
}

std::vector<ft::FileProxy*> SourceTree::shareEntries() const {
  std::vector<ft::FileProxy*> entries;
  for (const std::string& folder : folders_)
    entries.push_back(new ft::FileProxyWin32File(wide(root_ + "\\" + folder).c_str(),
                                                 wide(folder).c_str()));
  for (const SourceFile& f : files_)
    entries.push_back(new ft::FileProxyWin32File(wide(root_ + "\\" + f.relativePath).c_str(),
                                                 wide(f.advertised).c_str()));
  return entries;
}

} // namespace peer
