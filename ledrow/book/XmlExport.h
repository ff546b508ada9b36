// Export of a folder tree of entries as one XML book, which the import
// reads back. Each entry carries exactly the pairs its connection file
// holds (passwords, protected or not, included), written through the same
// walk as the file.
#pragma once

#include "ledrow/data/ConnOptions.h"

#include <vector>

namespace rdr {
class MemOutStream;
}

namespace addrbook {

class TreeNode;

// One entry's sections as "section" and "param" elements.
class XmlFormatter : public CConnOptions::Formatter {
public:
  void begin(rdr::OutStream& out, bool includePassword, bool optionsOnly) override {}
  void beginSection(const char* name, rdr::OutStream& out, bool includePassword) override;
  void param(const char* name, const char* value, rdr::OutStream& out) override;
  void endSection(const char* name, rdr::OutStream& out) override;
  void end(rdr::OutStream& out) override {}
};

// text with the five characters that XML gives meaning to ("&", "<", ">",
// the double and the single quote) written as their entity references.
void writeXmlText(rdr::OutStream& out, const char* text);

// Builds the book in out (emptied first) and writes it to path, replacing
// the file in one step. leaveRootOut: a folder root contributes only its
// contents, not a folder element of its own. password: the verifier the
// importer checks an import password against, or null. Throws
// plat::SystemException when the file cannot be written.
void writeXmlBook(rdr::MemOutStream& out, TreeNode* root, bool leaveRootOut, const char* path,
                  const char* password);
// The same with several roots side by side (a book of several top folders).
void writeXmlBook(rdr::MemOutStream& out, const std::vector<TreeNode*>& roots, bool leaveRootsOut,
                  const char* path, const char* password);

} // namespace addrbook
