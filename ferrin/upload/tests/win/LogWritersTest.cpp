// ferrin's log writers, all linked into this test: the Log setting reaches
// only the first writer of a name, so each name has one writer.
#include "plat/LogWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

TEST(LogWriters, EachNameHasOneWriter) {
  std::set<std::string> names;
  for (plat::LogWriter* writer = plat::LogWriter::first(); writer; writer = writer->next()) {
    std::string name = writer->name();
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    EXPECT_TRUE(names.insert(name).second) << writer->name();
  }
  EXPECT_GT(names.size(), 30u);
}
