#include "plat/win/ManualResetEvent.h"

#include "plat/Exception.h"

namespace plat {

HANDLE newManualResetEvent() {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!event) throw SystemException("CreateEvent", (int)GetLastError());
  return event;
}

} // namespace plat
