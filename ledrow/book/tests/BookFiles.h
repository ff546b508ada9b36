// Folders and entry files on disk for the entry tree and the XML tests.
#pragma once

#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/tests/OptionsFixture.h"
#include "ledrow/data/tests/ScratchDir.h"

#include <algorithm>
#include <string>
#include <vector>

inline std::string join(const std::string& folder, const std::string& name) {
  return folder + addrbook::PathSeparator + name;
}

inline void writeText(const std::string& path, const std::string& text) {
  FILE* f = addrbook::openFile(path.c_str(), "wb");
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
}

inline std::string readText(const std::string& path) {
  FILE* f = addrbook::tryOpenFile(path.c_str(), "rb");
  if (!f)
    return "(missing)";
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
    text.append(buffer, n);
  fclose(f);
  return text;
}

inline std::string makeFolder(const std::string& folder, const std::string& name) {
  std::string path = join(folder, name);
  addrbook::makeDirectory(path.c_str());
  return path;
}

// An entry file for host.
inline void makeEntry(const std::string& path, const char* host) {
  addrbook::EncryptedConfig entry;
  entry.setHost(host);
  entry.saveToFile(path.c_str(), true, false, nullptr);
}

// The names in a folder, sorted.
inline std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const addrbook::DirEntry& e : addrbook::listDirectory(folder.c_str()))
    names.push_back(e.name + (e.isDirectory ? "/" : ""));
  std::sort(names.begin(), names.end());
  return names;
}
