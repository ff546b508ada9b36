#include "ledrow/app/CommandLine.h"
#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"
#include "plat/String.h"

namespace addrbook {

static bool isHelpWord(const char* arg) {
  for (const char* word : {"-help", "--help", "-h", "/?"})
    if (plat::strCaseCmp(arg, word) == 0)
      return true;
  return false;
}

CommandLine readCommandLine(int argc, char** argv, plat::Configuration* config) {
  CommandLine result;
  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    if (isHelpWord(arg)) {
      result.outcome = CommandLine::Help;
      result.showAll = i + 1 < argc && plat::strCaseCmp(argv[i + 1], "all") == 0;
      return result;
    }
    if (plat::strCaseCmp(arg, "-console") == 0) {
      result.console = true;
      continue;
    }
    if (config->setFromArg(arg, plat::PriorityUser))
      continue;
    if (arg[0] == '-' && i + 1 < argc && config->set(arg + 1, argv[i + 1], plat::PriorityUser)) {
      i++;
      continue;
    }
    result.outcome = CommandLine::Unrecognised;
    result.argument = arg;
    return result;
  }
  return result;
}

std::string usageText(const char* banner, bool showAll, const plat::Configuration* config) {
  std::string text = std::string(banner) + "\n\n";
  text += "usage: ledrow <options>\n"
          "Command-line options:\n"
          "  -help [all]        - Provide (advanced) usage information.\n"
          "  <setting>=<value>  - Set the named configuration parameter.\n"
          "\n(Parameter values specified on the command-line override those\n"
          "specified by other configuration methods.)\n";
  text += "\nLog names:\n  ";
  for (plat::LogWriter* w = plat::LogWriter::first(); w; w = w->next()) {
    text += w->name();
    if (w->next())
      text += ", ";
  }
  text += "\n\nLog destinations:\n";
  for (plat::Logger* l = plat::Logger::first(); l; l = l->next())
    text += std::string("  ") + l->name() + "\n";
  text += "\nParameters:\n";
  plat::DString params;
  config->listParams(&params, showAll, 79, 10);
  text += params.c_str();
  return text;
}

} // namespace addrbook
