#include "ft/PartialShareEnum.h"

#include <cstring>
#include <string>

namespace ft {

PartialShareEnum::PartialShareEnum(std::function<ShareEntry*(size_t)> entryAt_, size_t count_,
                                   size_t firstIndex, const char* relName_, uint32_t depth_)
    : entryAt(entryAt_), count(count_), cursor(firstIndex < count_ ? firstIndex : count_), relName(relName_ ? relName_ : ""), depth(depth_),
      synthesized(false) {
  directory.flags = ShareEntry::Directory;
  seek();
}

ShareEntry* PartialShareEnum::current() {
  if (synthesized)
    return &directory;
  return cursor < count ? entryAt(cursor) : nullptr;
}

void PartialShareEnum::next() {
  if (cursor < count)
    cursor++;
  seek();
}

bool PartialShareEnum::seenBefore(const char* dir, size_t dirLength) const {
  for (size_t i = 0; i < cursor; i++) {
    const char* name = entryAt(i)->name.c_str();
    if (strncmp(name, dir, dirLength) == 0 && (name[dirLength] == 0 || name[dirLength] == '/'))
      return true;
  }
  return false;
}

void PartialShareEnum::seek() {
  synthesized = false;
  size_t prefixLength = relName.length();
  bool needSlash = prefixLength > 0 && relName.c_str()[prefixLength - 1] != '/';
  for (; cursor < count; cursor++) {
    const char* name = entryAt(cursor)->name.c_str();
    if (strncmp(name, relName.c_str(), prefixLength) != 0)
      continue;
    const char* rest = name + prefixLength;
    if (*rest == 0)
      continue; // the requested directory itself
    if (needSlash) {
      if (*rest != '/')
        continue;
      rest++;
    }
    if (depth == 0)
      return;

    // The depth-th '/' of the rest, if there is one.
    const char* cut = nullptr;
    uint32_t slashes = 0;
    for (const char* p = rest; *p; p++) {
      if (*p == '/' && ++slashes == depth) {
        cut = p;
        break;
      }
    }
    if (!cut)
      return;

    size_t dirLength = cut - name;
    if (seenBefore(name, dirLength))
      continue;
    directory.name = std::string(name, dirLength).c_str();
    synthesized = true;
    return;
  }
}

} // namespace ft
