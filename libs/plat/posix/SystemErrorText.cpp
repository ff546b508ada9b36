#include "plat/Exception.h"
#include "plat/String.h"

#include <cstring>

namespace plat {

// The host build sees Windows and Winsock codes only in tests; errno texts
// would be wrong for them.
void appendSystemErrorText(char* buf, size_t size, int code) {
  strAppend(buf, size, "system error", -1);
}

} // namespace plat
