// Dropped-file lists come from other processes through the clipboard: the
// walk must stay inside the block and end.
#include "os/DropFileList.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> block(new uint8_t[size ? size : 1]);
  memcpy(block.get(), data, size);
  os::DropFileList list(block.get(), size);
  const uint8_t* name;
  size_t length;
  size_t unit = list.isWide() ? 2 : 1;
  while (list.next(&name, &length)) {
    // The name and its terminator lie inside the block.
    if (name < block.get() || name + (length + 1) * unit > block.get() + size)
      __builtin_trap();
    volatile uint8_t last = name[length * unit - 1];
    (void)last;
  }
  return 0;
}
