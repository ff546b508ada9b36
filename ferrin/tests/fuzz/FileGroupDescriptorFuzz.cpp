// File group descriptors come from other programs through the clipboard:
// every record read must lie inside the block, whatever the count says.
#include "ferrin/FileGroupDescriptor.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> block(new uint8_t[size ? size : 1]);
  memcpy(block.get(), data, size);
  for (bool wide : {true, false}) {
    ft::FileGroupDescriptor descriptor(block.get(), size, wide);
    for (uint32_t i = 0; i < descriptor.count(); i++) {
      ft::FileDescriptorRecord r = descriptor.record(i);
      if (r.wideName.size() > 260 || r.narrowName.size() > 260)
        __builtin_trap();
    }
  }
  return 0;
}
