// What the details pane says about an entry's options.
#pragma once

#include <string>

namespace addrbook {

class CConnOptions;

// "Shared" or "Exclusive", then ", Full-screen" and ", View-only" where
// they apply (view-only: nothing of ours reaches the server).
std::string optionsSummary(const CConnOptions& options);

} // namespace addrbook
