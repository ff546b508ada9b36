#include "os/win/ComInitialiser.h"
#include "plat/Exception.h"

#include <objbase.h>

namespace os {

ComInitialiser::ComInitialiser() {
  HRESULT result = CoInitialize(nullptr);
  if (FAILED(result))
    throw plat::SystemException("CoInitialize", (int)result);
}

// Every successful CoInitialize, S_FALSE included, is balanced here.
ComInitialiser::~ComInitialiser() { CoUninitialize(); }

} // namespace os
