#include "plat/Environment.h"

#include <cstdlib>

namespace plat {

String getEnvironmentVariable(const char* name) { return String(getenv(name)); }

} // namespace plat
