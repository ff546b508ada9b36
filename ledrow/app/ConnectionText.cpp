#include "ledrow/app/ConnectionText.h"
#include "ledrow/data/EncryptedConfig.h"
#include "rdr/MemInStream.h"

#include <cstring>

namespace addrbook {

void readConnectionText(const void* data, size_t size, EncryptedConfig* config) {
  if (!data || size == 0 || size > MaxConnectionText)
    throw plat::Exception("Not a connection file");
  // Nothing past the block is ever read: a text without its terminator
  // was cut short or is no text at all.
  const void* nul = memchr(data, 0, size);
  if (!nul)
    throw plat::Exception("Not a connection file");
  rdr::MemInStream in(data, (int)((const char*)nul - (const char*)data));
  config->read(in);
  if (!config->getHost() || !*config->getHost())
    throw plat::Exception("Not a connection file");
}

} // namespace addrbook
