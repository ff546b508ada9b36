#pragma once

#include "plat/ConfigParameter.h"

namespace io {

// Seconds for which a closing connection may still flush to a slow peer.
extern plat::IntParameter lazyFlushTimeout;

} // namespace io
