// A fresh directory for a test's files, removed with them at the end.
#pragma once

#include <string>

#ifdef _WIN32
#include "testing/TempDir.h"

struct ScratchDir {
  testing_support::TempDir dir;
  std::string file(const std::string& name) const { return dir.file(name); }
  std::string missingDir() const { return dir.file("missing\\sub"); }
};
#else
#include <cstdlib>
#include <ftw.h>

struct ScratchDir {
  std::string path;
  ScratchDir() {
    char name[] = "/tmp/addrbook-test-XXXXXX";
    path = mkdtemp(name);
  }
  ~ScratchDir() {
    nftw(path.c_str(),
         [](const char* p, const struct stat*, int, struct FTW*) { return remove(p); }, 8,
         FTW_DEPTH | FTW_PHYS);
  }
  std::string file(const std::string& name) const { return path + "/" + name; }
  std::string missingDir() const { return path + "/missing/sub"; }
};
#endif
