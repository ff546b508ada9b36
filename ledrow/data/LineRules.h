// What a connection-file line can carry and still read back as written: the
// reader ends a line at LF, drops every CR, splits a pair at its first "=",
// takes a line starting with "[" as a section and one starting with ";" as a
// comment, and refuses lines longer than CConnOptions::MaxLineLength.
#pragma once

namespace addrbook {

// "name=value" reads back as a pair of this name and value, whatever its
// length.
bool isPairText(const char* name, const char* value);
// ... and is short enough to be read at all.
bool pairReadsBack(const char* name, const char* value);
// "[name]" reads back as this same section.
bool sectionReadsBack(const char* name);
// The reader takes this host: UTF-8 (over-long forms too, kept as they
// stand) with no code point beyond Unicode.
bool hostReadsBack(const char* host);

} // namespace addrbook
