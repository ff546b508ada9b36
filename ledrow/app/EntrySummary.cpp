#include "ledrow/app/EntrySummary.h"
#include "ledrow/data/ConnOptions.h"

namespace addrbook {

std::string optionsSummary(const CConnOptions& o) {
  std::string text = o.shared ? "Shared" : "Exclusive";
  if (o.fullScreen)
    text += ", Full-screen";
  if (!o.clientCutText && !o.shareFiles && !o.sendKeyEvents && !o.sendPointerEvents)
    text += ", View-only";
  return text;
}

} // namespace addrbook
