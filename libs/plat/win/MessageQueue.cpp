#include "plat/win/MessageQueue.h"

namespace plat {

LogWriter messageQueueLog("MessageQueue");

} // namespace plat
