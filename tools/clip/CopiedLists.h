// The lists a copy puts on the clipboard, as the bytes of their memory
// blocks: a dropped-file list (CF_HDROP, wide names) and a shell item list
// ("Shell IDList Array") of paths in one folder. Each path is named repeat
// times; in the shell item list by one offset, or, with copies, by copies
// of its item at offsets of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace clip {

std::vector<uint8_t> droppedFileList(const std::vector<std::wstring>& paths, uint32_t repeat = 1);
// Throws std::runtime_error for a path the shell cannot parse.
std::vector<uint8_t> shellIdList(const std::vector<std::wstring>& paths, uint32_t repeat = 1,
                                 bool copies = false);

} // namespace clip
