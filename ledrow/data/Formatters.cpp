#include "ledrow/data/Formatters.h"
#include "ledrow/data/LineRules.h"
#include "plat/String.h"
#include "rdr/OutStream.h"

#include <cstring>

namespace addrbook {

DefaultFormatter DefaultFormatter::instance;

static void writeText(rdr::OutStream& out, const char* text) {
  out.write(text, plat::strLen(text));
}

// A line that would read back as something else would change what the file
// means (a value with a line feed could smuggle in pairs of its own), so it
// is refused rather than written.
void DefaultFormatter::beginSection(const char* name, rdr::OutStream& out, bool) {
  if (!sectionReadsBack(name))
    throw plat::Exception("bad Section");
  writeText(out, "[");
  writeText(out, name);
  writeText(out, "]\n");
}

void DefaultFormatter::param(const char* name, const char* value, rdr::OutStream& out) {
  if (!pairReadsBack(name, value))
    throw plat::Exception("bad Name/Value pair");
  writeText(out, name);
  writeText(out, "=");
  writeText(out, value);
  writeText(out, "\n");
}

void PassThroughFormatter::begin(rdr::OutStream& out, bool includePassword, bool optionsOnly) {
  inner_->begin(out, includePassword, optionsOnly);
}

void PassThroughFormatter::beginSection(const char* name, rdr::OutStream& out,
                                        bool includePassword) {
  inner_->beginSection(name, out, includePassword);
}

void PassThroughFormatter::param(const char* name, const char* value, rdr::OutStream& out) {
  inner_->param(name, value, out);
}

void PassThroughFormatter::endSection(const char* name, rdr::OutStream& out) {
  inner_->endSection(name, out);
}

void PassThroughFormatter::end(rdr::OutStream& out) { inner_->end(out); }

void EncryptedPasswordAppender::endSection(const char* name, rdr::OutStream& out) {
  if (strcmp(name, "Options") == 0)
    inner_->param("EncryptedPassword", text_.c_str(), out);
  inner_->endSection(name, out);
}

void SignatureAppender::end(rdr::OutStream& out) {
  inner_->beginSection(SignatureSection, out, false);
  inner_->param(SignaturePair, text_.c_str(), out);
  inner_->endSection(SignatureSection, out);
  inner_->end(out);
}

} // namespace addrbook
