// The byte-rate text of the downloads view: "%i KB/s" and its siblings.
#pragma once

#include <cstdint>

namespace ft {

// The rate in the largest unit it reaches (byte/s, KB/s, MB/s, GB/s, TB/s),
// the count truncated. A new buffer; the caller frees it with plat::strFree.
char* formatRate(uint64_t bytesPerSecond);

} // namespace ft
