#include "ledrow/data/UserNameSource.h"

namespace addrbook {

static UserNameSource installedSource = nullptr;

void setUserNameSource(UserNameSource source) { installedSource = source; }

plat::String currentUserName() {
  if (!installedSource)
    throw plat::Exception("no user name source");
  return installedSource();
}

} // namespace addrbook
