#include "ft/ShareDescription.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace ft {

namespace {

const uint64_t Kb = 1024;
const uint64_t Mb = Kb * 1024;
const uint64_t Gb = Mb * 1024;
const uint64_t Tb = Gb * 1024;

// The first path component of a name.
std::string topName(const char* name) {
  const char* slash = strchr(name, '/');
  return slash ? std::string(name, slash - name) : std::string(name);
}

} // namespace

plat::String shareSizeText(uint64_t bytes) {
  char text[64];
  if (bytes > Tb)
    snprintf(text, sizeof(text), "%.2f Tb", (double)bytes / Tb);
  else if (bytes > Gb)
    snprintf(text, sizeof(text), "%.2f Gb", (double)bytes / Gb);
  else if (bytes > Mb)
    snprintf(text, sizeof(text), "%.2f Mb", (double)bytes / Mb);
  else if (bytes <= Kb)
    snprintf(text, sizeof(text), "%lu bytes", (unsigned long)bytes);
  else
    snprintf(text, sizeof(text), "%.2f Kb", (double)bytes / Kb);
  return plat::String(text);
}

plat::String describeShare(const std::vector<ShareEntry*>& entries) {
  uint64_t total = 0;
  unsigned long files = 0;
  for (const ShareEntry* entry : entries) {
    total += entry->size;
    if (!(entry->flags & ShareEntry::Directory))
      files++;
  }
  plat::String size = shareSizeText(total);
  if (entries.size() == 1)
    return plat::String((entries[0]->name.c_str() + std::string(" (") + size.c_str() + ")").c_str());

  std::string name;
  if (entries.empty()) {
    name = "empty share";
  } else {
    name = topName(entries[0]->name.c_str());
    for (const ShareEntry* entry : entries) {
      if (topName(entry->name.c_str()) != name) {
        name = "multiple files";
        break;
      }
    }
  }
  char counted[96];
  snprintf(counted, sizeof(counted), " (%s in %lu file%s)", size.c_str(), files,
           files == 1 ? "" : "s");
  return plat::String((name + counted).c_str());
}

} // namespace ft
