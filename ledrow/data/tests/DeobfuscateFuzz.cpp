// Obfuscated passwords come from connection files, password files and the
// master-password cache. Any bytes either fail the length check or give a
// text that obfuscates and reads back unchanged.
#include "ledrow/data/PasswordObfuscation.h"
#include "plat/Exception.h"

#include <cstdlib>
#include <cstring>

using namespace addrbook;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096)
    return 0;
  ZeroingBuffer text;
  try {
    text = deobfuscatePassword(data, (int)size, Latin1CodePage());
  } catch (const plat::Exception&) {
    if (size % 8 == 0)
      abort(); // every multiple of 8 decrypts
    return 0;
  }
  ZeroingBytes again;
  obfuscatePassword(&again, text.c_str());
  ZeroingBuffer back = deobfuscatePassword(again, Latin1CodePage());
  if (strcmp(back.c_str(), text.c_str()) != 0)
    abort();
  return 0;
}
