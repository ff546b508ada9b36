#pragma once

#include "plat/ConfigParameter.h"

namespace rdr {

// Upper bound of a buffered output stream's buffer.
extern plat::IntParameter maxOutBufferSize;

} // namespace rdr
