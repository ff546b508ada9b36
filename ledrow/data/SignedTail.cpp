#include "ledrow/data/SignedTail.h"

#include <cstring>

namespace addrbook {

void TailRecorder::beginSection(const char* name, rdr::OutStream& out, bool includePassword) {
  section_ = name;
  PassThroughFormatter::beginSection(name, out, includePassword);
}

void TailRecorder::param(const char* name, const char* value, rdr::OutStream& out) {
  if (first_ == name)
    recording_ = true;
  if (recording_)
    lines_.append("\n").append(section_).append(",").append(name).append("=").append(value);
  PassThroughFormatter::param(name, value, out);
}

void TailRecorder::endSection(const char* name, rdr::OutStream& out) {
  recording_ = false;
  PassThroughFormatter::endSection(name, out);
}

// A name holds no "=", so the first one ends the first line's name; a
// value holds no line feed, so a line feed and that start begin a line.
size_t findTail(const char* signature, const std::string& tail) {
  std::string start = tail.substr(0, tail.find('=') + 1);
  const char* at = strstr(signature, start.c_str());
  return at ? (size_t)(at - signature) : std::string::npos;
}

} // namespace addrbook
