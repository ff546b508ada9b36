#include "ledrow/book/XmlExport.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/SafeSaveFile.h"
#include "rdr/MemOutStream.h"

#include <cstring>

namespace addrbook {

namespace {

const char prologue[] = "<?xml version=\"1.0\"?>\n"
                        "<!DOCTYPE ledrow [\n"
                        "<!ENTITY COMPANY \"Torvane Ltd.\">\n"
                        "<!ELEMENT ledrow (folder*,file*)>\n"
                        "<!ATTLIST ledrow password CDATA #IMPLIED>\n"
                        "<!ELEMENT folder (folder*,file*)>\n"
                        "<!ATTLIST folder name CDATA #REQUIRED>\n"
                        "<!ELEMENT file (section*)>\n"
                        "<!ATTLIST file name CDATA #REQUIRED>\n"
                        "<!ELEMENT section (param*)>\n"
                        "<!ATTLIST section name CDATA #REQUIRED>\n"
                        "<!ELEMENT param (#PCDATA)>\n"
                        "<!ATTLIST param name CDATA #REQUIRED>\n"
                        "<!ATTLIST param value CDATA #REQUIRED>\n"
                        "]>\n";

void put(rdr::OutStream& out, const char* text) { out.write(text, (int)strlen(text)); }

// open, the escaped value, close: one element line.
void putLine(rdr::OutStream& out, const char* open, const char* value, const char* close) {
  put(out, open);
  writeXmlText(out, value);
  put(out, close);
}

void writeNode(rdr::OutStream& out, TreeNode* node, bool leaveOut) {
  if (node->isLeaf()) {
    putLine(out, "<file name=\"", node->getName(), "\">\n");
    XmlFormatter formatter;
    static_cast<TreeLeaf*>(node)->config().write(out, true, false, &formatter);
    put(out, "</file>\n");
    return;
  }
  if (!leaveOut)
    putLine(out, "<folder name=\"", node->getName(), "\">\n");
  for (TreeNode* child : static_cast<TreeBranch*>(node)->children())
    writeNode(out, child, false);
  if (!leaveOut)
    put(out, "</folder>\n");
}

} // namespace

void writeXmlText(rdr::OutStream& out, const char* text) {
  const char* plain = text;
  for (const char* p = text; *p; p++) {
    const char* reference;
    switch (*p) {
    case '&': reference = "&amp;"; break;
    case '<': reference = "&lt;"; break;
    case '>': reference = "&gt;"; break;
    case '"': reference = "&quot;"; break;
    case '\'': reference = "&apos;"; break;
    default: continue;
    }
    out.write(plain, (int)(p - plain));
    put(out, reference);
    plain = p + 1;
  }
  put(out, plain);
}

void XmlFormatter::beginSection(const char* name, rdr::OutStream& out, bool) {
  putLine(out, "<section name=\"", name, "\">\n");
}

void XmlFormatter::param(const char* name, const char* value, rdr::OutStream& out) {
  putLine(out, "<param name=\"", name, "\" ");
  putLine(out, "value=\"", value, "\" />\n");
}

void XmlFormatter::endSection(const char*, rdr::OutStream& out) { put(out, "</section>\n"); }

void writeXmlBook(rdr::MemOutStream& out, TreeNode* root, bool leaveRootOut, const char* path,
                  const char* password) {
  writeXmlBook(out, std::vector<TreeNode*>{root}, leaveRootOut, path, password);
}

void writeXmlBook(rdr::MemOutStream& out, const std::vector<TreeNode*>& roots, bool leaveRootsOut,
                  const char* path, const char* password) {
  out.clear();
  put(out, prologue);
  if (password)
    putLine(out, "<ledrow password=\"", password, "\">\n");
  else
    put(out, "<ledrow>\n");
  for (TreeNode* root : roots)
    writeNode(out, root, leaveRootsOut);
  put(out, "</ledrow>\n");

  SafeSaveFile file;
  file.open(path, true);
  file.write(out.data(), out.length());
  file.commit();
}

} // namespace addrbook
