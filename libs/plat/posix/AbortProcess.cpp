#include "plat/Assert.h"

#include <cstdio>
#include <cstdlib>

namespace plat {

void abortProcess() {
  fflush(stderr);
  abort();
}

} // namespace plat
