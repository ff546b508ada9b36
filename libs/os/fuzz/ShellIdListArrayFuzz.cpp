// Shell IDList Array blocks come from other processes through the
// clipboard: the walk must stay inside the block, whatever its counts and
// offsets say.
#include "os/ShellIdListArray.h"
#include "plat/Exception.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> block(new uint8_t[size ? size : 1]);
  memcpy(block.get(), data, size);
  try {
    os::ShellIdListArray cida(block.get(), size);
    try {
      cida.parent();
    } catch (const plat::Exception&) {
    }
    // A huge count that fits is still walked one item at a time; a few
    // thousand are enough to reach every offset a small input can hold.
    for (uint32_t i = 0; i < cida.count() && i < 4096; i++) {
      try {
        os::ItemIdList item = cida.item(i);
        volatile uint8_t last = item.data()[item.size() > 0 ? item.size() - 1 : 0];
        (void)last;
      } catch (const plat::Exception&) {
      }
    }
  } catch (const plat::Exception&) {
  }
  return 0;
}
