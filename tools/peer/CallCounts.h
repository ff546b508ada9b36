// The system-call counters of both ends of a run: this process's own
// (plat::CallCounter) and the ones ferrin writes to its log as it ends.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace peer {

typedef std::map<std::string, uint64_t> Counts;

// This process's counters now.
Counts ownCounts();
// a - b, name by name.
Counts difference(const Counts& a, const Counts& b);
// The counters ferrin logged (its Log setting must ask for "CallCounts" at
// level 100).
Counts loggedCounts(const std::string& logFile);
// The Log setting that does so, besides level 30 for everything else.
extern const wchar_t* const LogWithCounts;

// One line per counter, each side divided by per (MiB, files).
void printCounts(const char* label, const Counts& sender, const Counts& receiver, double per,
                 const char* unit);

} // namespace peer
