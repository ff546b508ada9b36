#include "ledrow/app/ConnectionText.h"
#include "ledrow/data/EncryptedConfig.h"
#include "rdr/MemInStream.h"

#include <cstring>

namespace addrbook {

void readConnectionText(const void* data, size_t size, EncryptedConfig* config) {
  const void* nul = data ? memchr(data, 0, size) : nullptr;
  size_t length = nul ? (const char*)nul - (const char*)data : data ? size : 0;
  if (length == 0)
    throw plat::Exception("Not a connection file");
  if (length > MaxConnectionText)
    throw plat::Exception("Connection text too long");
  rdr::MemInStream in(data, (int)length);
  config->read(in);
  if (!config->getHost() || !*config->getHost())
    throw plat::Exception("Not a connection file");
}

} // namespace addrbook
