#include "ledrow/app/ConnectionText.h"
#include "ledrow/data/EncryptedConfig.h"
#include "rdr/MemInStream.h"

#include <cstring>

namespace addrbook {

void readConnectionText(const void* data, size_t size, EncryptedConfig* config) {
  if (!data || size == 0 || size > MaxConnectionText)
    throw plat::Exception("Not a connection file");
  const void* nul = memchr(data, 0, size);
  size_t length = nul ? (size_t)((const char*)nul - (const char*)data) : size;
  rdr::MemInStream in(data, (int)length);
  config->read(in);
  if (strlen(config->getHost() ? config->getHost() : "") == 0)
    throw plat::Exception("Not a connection file");
}

} // namespace addrbook
