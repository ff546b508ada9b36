// Formatters of the connection-file walk (CConnOptions::Formatter).
#pragma once

#include "ledrow/data/ConnOptions.h"
#include "plat/String.h"

namespace addrbook {

// Where a signed entry keeps its signature: the last section, one pair.
inline constexpr char SignatureSection[] = "Signature";
inline constexpr char SignaturePair[] = "DotKivFileSignature";

// The connection-file text: "[section]" and "name=value" lines, each ended
// by a line feed. A line that would not read back as written throws
// plat::Exception "bad Section" or "bad Name/Value pair".
class DefaultFormatter : public CConnOptions::Formatter {
public:
  void begin(rdr::OutStream& out, bool includePassword, bool optionsOnly) override {}
  void beginSection(const char* name, rdr::OutStream& out, bool includePassword) override;
  void param(const char* name, const char* value, rdr::OutStream& out) override;
  void endSection(const char* name, rdr::OutStream& out) override {}
  void end(rdr::OutStream& out) override {}

  // Serves every write that names no formatter.
  static DefaultFormatter instance;
};

// Forwards everything to an inner formatter; the appenders below add to
// the walk on the way.
class PassThroughFormatter : public CConnOptions::Formatter {
public:
  explicit PassThroughFormatter(CConnOptions::Formatter* inner) : inner_(inner) {}
  void begin(rdr::OutStream& out, bool includePassword, bool optionsOnly) override;
  void beginSection(const char* name, rdr::OutStream& out, bool includePassword) override;
  void param(const char* name, const char* value, rdr::OutStream& out) override;
  void endSection(const char* name, rdr::OutStream& out) override;
  void end(rdr::OutStream& out) override;

protected:
  CConnOptions::Formatter* inner_;
};

// Adds "EncryptedPassword" as the last pair of the "Options" section.
class EncryptedPasswordAppender : public PassThroughFormatter {
public:
  EncryptedPasswordAppender(CConnOptions::Formatter* inner, const char* text)
      : PassThroughFormatter(inner), text_(text) {}
  void endSection(const char* name, rdr::OutStream& out) override;

private:
  plat::String text_;
};

// Adds a last section "Signature" with the pair "DotKivFileSignature".
class SignatureAppender : public PassThroughFormatter {
public:
  SignatureAppender(CConnOptions::Formatter* inner, const char* text)
      : PassThroughFormatter(inner), text_(text) {}
  void end(rdr::OutStream& out) override;

private:
  plat::String text_;
};

} // namespace addrbook
