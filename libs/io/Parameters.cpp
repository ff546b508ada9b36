#include "io/Parameters.h"

namespace io {

plat::IntParameter lazyFlushTimeout("LazyFlushTimeout",
                                    "Maximum number of seconds for which attempts should be made "
                                    "to flush data to an unresponsive client (maximum 49 days)",
                                    300, 0);

} // namespace io
