#include "CopiedLists.h"

#include <shlobj.h>

#include <cstring>
#include <stdexcept>

namespace clip {

namespace {

std::vector<uint8_t> itemBytes(LPCITEMIDLIST list) {
  const uint8_t* p = (const uint8_t*)list;
  return std::vector<uint8_t>(p, p + ILGetSize(list));
}

} // namespace

std::vector<uint8_t> droppedFileList(const std::vector<std::wstring>& paths, uint32_t repeat) {
  DROPFILES header = {};
  header.pFiles = sizeof(header);
  header.fWide = TRUE;
  std::vector<uint8_t> block((const uint8_t*)&header, (const uint8_t*)&header + sizeof(header));
  for (const std::wstring& path : paths) {
    const uint8_t* p = (const uint8_t*)path.c_str();
    for (uint32_t r = 0; r < repeat; r++)
      block.insert(block.end(), p, p + (path.size() + 1) * sizeof(wchar_t));
  }
  block.insert(block.end(), sizeof(wchar_t), 0);
  return block;
}

std::vector<uint8_t> shellIdList(const std::vector<std::wstring>& paths, uint32_t repeat,
                                 bool copies) {
  // The parent folder's list, then each item relative to it.
  std::vector<std::vector<uint8_t>> lists;
  for (const std::wstring& path : paths) {
    PIDLIST_ABSOLUTE absolute = ILCreateFromPathW(path.c_str());
    if (!absolute)
      throw std::runtime_error("cannot make an item-id list");
    if (lists.empty()) {
      PIDLIST_ABSOLUTE parent = ILClone(absolute);
      ILRemoveLastID(parent);
      lists.push_back(itemBytes(parent));
      ILFree(parent);
    }
    lists.push_back(itemBytes(ILFindLastID(absolute)));
    ILFree(absolute);
  }
  uint32_t count = (uint32_t)paths.size() * repeat;
  std::vector<uint8_t> block(4 + 4 * ((size_t)count + 1));
  memcpy(&block[0], &count, 4);
  for (size_t i = 0; i < lists.size(); i++) {
    // The parent once, each item in repeat slots.
    for (uint32_t r = 0; r < (i ? repeat : 1); r++) {
      size_t slot = i ? 1 + (i - 1) * repeat + r : 0;
      uint32_t offset = (uint32_t)block.size();
      if (r && !copies)
        memcpy(&offset, &block[4 + 4 * (slot - 1)], 4);
      else
        block.insert(block.end(), lists[i].begin(), lists[i].end());
      memcpy(&block[4 + 4 * slot], &offset, 4);
    }
  }
  return block;
}

} // namespace clip
