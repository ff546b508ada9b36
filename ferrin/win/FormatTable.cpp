#include "ferrin/win/FormatTable.h"

#include "ferrin/win/ClipboardFormats.h"

#include <atomic>

namespace ft {

const FORMATETC* formatTable() {
  static FORMATETC table[FormatCount];
  // Read on COM's threads too (a paste in the multithreaded apartment).
  static std::atomic<bool> filled{false};
  // Registration may fail once and work later: refilled until every
  // format is there.
  if (!filled) {
    table[0] = {fileGroupDescriptorWFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    table[1] = {fileGroupDescriptorFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    table[2] = {privateFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    table[3] = {fileContentsFormat(), nullptr, DVASPECT_CONTENT, 0, TYMED_ISTREAM};
    filled = table[0].cfFormat && table[1].cfFormat && table[2].cfFormat && table[3].cfFormat;
  }
  return table;
}

} // namespace ft
