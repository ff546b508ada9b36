// The socket manager of a thread that runs an event manager: over a
// WinsockManager, which it owns.
#pragma once

#include "io/win/WinsockManager.h"
#include "net/win/SelectSocketManager.h"

namespace net {

class EventSocketManager : public SelectSocketManager {
public:
  explicit EventSocketManager(io::WinsockManager* winsockManager)
      : SelectSocketManager(winsockManager) {}
};

} // namespace net
