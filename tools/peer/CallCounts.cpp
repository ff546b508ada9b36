#include "CallCounts.h"

#include "plat/CallCounter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>

namespace peer {

const wchar_t* const LogWithCounts = L"Log=*:file:30,CallCounts:file:100";

Counts ownCounts() {
  Counts counts;
  for (plat::CallCounter* c = plat::CallCounter::first(); c; c = c->next())
    counts[c->name()] = c->value();
  return counts;
}

Counts difference(const Counts& a, const Counts& b) {
  Counts d = a;
  for (const auto& entry : b)
    d[entry.first] -= entry.second;
  return d;
}

Counts loggedCounts(const std::string& logFile) {
  // The log's name column: a blank, the writer's name, a colon.
  static const char Tag[] = " CallCounts: ";
  Counts counts;
  std::ifstream in(logFile);
  std::string line;
  while (std::getline(in, line)) {
    size_t at = line.find(Tag);
    if (at != 0)
      continue;
    const char* text = line.c_str() + sizeof(Tag) - 1;
    while (*text == ' ')
      text++;
    const char* blank = strchr(text, ' ');
    if (blank)
      counts[std::string(text, blank - text)] = strtoull(blank + 1, nullptr, 10);
  }
  return counts;
}

void printCounts(const char* label, const Counts& sender, const Counts& receiver, double per,
                 const char* unit) {
  std::set<std::string> names;
  for (const auto& entry : sender)
    names.insert(entry.first);
  for (const auto& entry : receiver)
    names.insert(entry.first);
  printf("  system calls per %s (%s): kivpeer sending | ferrin receiving\n", unit, label);
  for (const std::string& name : names) {
    auto s = sender.find(name);
    auto r = receiver.find(name);
    double sv = s == sender.end() ? 0 : s->second / per;
    double rv = r == receiver.end() ? 0 : r->second / per;
    if (sv == 0 && rv == 0)
      continue;
    printf("    %-18s %10.2f | %12.2f\n", name.c_str(), sv, rv);
  }
  fflush(stdout);
}

} // namespace peer
