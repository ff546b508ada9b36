// The printing page's texts: how the local default printer is named on the
// server, and the notes (mark-up) that tell the user what will happen.
#pragma once

#include <string>

namespace viewerconfig {

// A printer shared from a server ("\\server\printer...") as "printer on
// server"; any other name as it is.
std::string printerDisplayName(const std::string& name);
// "<display name> via Kiv from <computer>", with every '/' made '-': the
// name the printer gets on the server.
std::string sharedPrinterName(const std::string& displayName, const std::string& computer);

// printerDisplay null: there is no default printer (or it cannot be
// opened). Mark-up: carets in the names show as carets.
std::string printingNotes(bool shared, const char* printerDisplay, const std::string& computer,
                          bool makeServerDefault);

} // namespace viewerconfig
