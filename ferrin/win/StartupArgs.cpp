#include "ferrin/win/StartupArgs.h"
#include "net/Endpoint.h"
#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"

#include <cstdlib>
#include <cstring>

namespace ferrin {

StartupArgs parseStartupArgs(const plat::CommandLineArgs& args) {
  if (args.count() < 5)
    throw plat::Exception("This application is not intended to be run in this way.");
  StartupArgs result;
  result.cookie = (uint32_t)strtoul(args[1], nullptr, 0);
  net::parseEndpoint(args[2], &result.host, &result.port, -1, 0);
  result.serviceMode = strcmp(args[3], "-service") == 0;
  result.clipboardSharing = strtol(args[4], nullptr, 10) != 0;
  return result;
}

void applyOptionalArgs(const plat::CommandLineArgs& args, os::Console& console) {
  for (int i = 5; i < args.count(); i++) {
    if (plat::strCaseCmp(args[i], "-console") == 0)
      console.open();
    else
      plat::Configuration::global()->setFromArg(args[i], plat::PriorityUser);
  }
}

const char* settingsKeyPath(bool serviceMode) {
  return serviceMode ? "SOFTWARE\\Torvane\\FileTransfer_Service"
                     : "SOFTWARE\\Torvane\\FileTransfer_User";
}

} // namespace ferrin
