// The address book's command line: help, "-console" and settings, applied
// to a configuration at the user's priority.
#pragma once

#include <string>

namespace plat {
class Configuration;
}

namespace addrbook {

struct CommandLine {
  enum Outcome { Run, Help, Unrecognised };
  Outcome outcome = Run;
  // Help with the advanced settings ("-help all").
  bool showAll = false;
  // "-console" came before the parse stopped.
  bool console = false;
  // The argument that stopped the parse (Unrecognised).
  std::string argument;
};

// Applies argv[1..argc-1] in order: "name=value" (or what
// Configuration::setFromArg takes), else "-name value" as one setting.
// Stops at a help word or at the first argument that neither form takes.
CommandLine readCommandLine(int argc, char** argv, plat::Configuration* config);

// The usage listing: banner, options, log names and destinations, the
// parameters of config and its parents (advanced ones with showAll).
std::string usageText(const char* banner, bool showAll, const plat::Configuration* config);

} // namespace addrbook
