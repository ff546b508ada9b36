#include "FolderCheck.h"

#include "os/win/DirIterator.h"
#include "testing/FileTree.h"

#include <windows.h>

#include <algorithm>
#include <set>

namespace peer {

namespace {

std::string backslashes(std::string s) {
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
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
        !testing_support::sameFileContents(sourceRoot_ + "\\" + f.relativePath, fetchDir_ + "\\" + expected)) {
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
      if (testing_support::sameFileContents(sourceRoot_ + "\\" + f.relativePath, fetchDir_ + "\\" + r.first)) {
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

bool FolderCheck::verifySettled(std::string* problem) {
  return peer::verifySettled([this](std::string* p) { return verify(p); }, problem);
}

bool verifySettled(const std::function<bool(std::string*)>& verify, std::string* problem) {
  for (int attempt = 0; attempt < 50; attempt++) {
    if (verify(problem))
      return true;
    Sleep(100);
  }
  return false;
}

} // namespace peer
