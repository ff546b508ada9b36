#include "rdr/Parameters.h"

namespace rdr {

plat::IntParameter maxOutBufferSize(
    "MaxOutBufferSize",
    "The maximum number of bytes to buffer internally when writing to slow clients.  Larger "
    "values improve concurrency, smaller values reduce memory usage.  Changes to this settings "
    "affect new connections only.",
    4194304, plat::ConfigParameter::Advanced);

} // namespace rdr
