// Item-id lists copied out of clipboard memory from other processes: the
// walk must stay inside the block whatever the counts say.
#include "os/ItemIdList.h"
#include "plat/Exception.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that a read past the block is caught.
  std::unique_ptr<uint8_t[]> block(new uint8_t[size ? size : 1]);
  memcpy(block.get(), data, size);
  try {
    os::ItemIdList list(block.get(), (int)size);
    if (list.size() < 2 || (size_t)list.size() > size + 2)
      __builtin_trap();
    while (!list.isEmpty()) {
      os::ItemIdList tail;
      list.splitLast(&tail);
    }
  } catch (const plat::Exception&) {
  }
  return 0;
}
