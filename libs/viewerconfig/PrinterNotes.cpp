#include "viewerconfig/PrinterNotes.h"

#include <algorithm>

namespace viewerconfig {

std::string printerDisplayName(const std::string& name) {
  if (name.compare(0, 2, "\\\\") != 0)
    return name;
  size_t slash = name.find('\\', 2);
  if (slash == std::string::npos)
    return name;
  return name.substr(slash + 1) + " on " + name.substr(2, slash - 2);
}

std::string sharedPrinterName(const std::string& displayName, const std::string& computer) {
  std::string shared = displayName + " via Kiv from " + computer;
  std::replace(shared.begin(), shared.end(), '/', '-');
  return shared;
}

std::string printingNotes(bool shared, const char* printerDisplay, const std::string& computer,
                          bool makeServerDefault) {
  if (!shared)
    return "Your printer will not be shared.\n\nRemote printing will not be available.";
  if (!printerDisplay)
    return "There is no default printer.\n\nRemote printing will not be available unless you "
           "install a printer before you connect to Kiv Server.";
  std::string escaped;
  for (char c : sharedPrinterName(printerDisplay, computer)) {
    escaped += c;
    if (c == '^')
      escaped += '^';
  }
  return "Your default printer will be shared as '" + escaped + "'.\n\n" +
         (makeServerDefault
              ? "This printer will be made Kiv Server's default printer while you are connected."
              : "Kiv Server's default printer will not be changed.");
}

} // namespace viewerconfig
