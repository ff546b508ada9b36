#include "Probe.h"

#include "ft/PartialShareEnum.h"
#include "ft/ShareDescription.h"
#include "ft/ShareProxy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::Probe;

namespace {

typedef std::vector<std::string> Lines;

struct Entries : ft::ManagedVector<ft::ShareEntry> {
  Entries(std::initializer_list<const char*> names) {
    for (const char* name : names)
      push_back(new ft::ShareEntry(name, 0, 0, 0, 0, 0));
  }
};

// What the walk yields: names, with a trailing '/' for directories.
Lines walk(const Entries& entries, const char* relName, uint32_t depth, size_t first = 0) {
  ft::PartialShareEnum e(entries, first, relName, depth);
  Lines seen;
  while (ft::ShareEntry* entry = e.current()) {
    seen.push_back(std::string(entry->name.c_str()) +
                   (entry->flags & ft::ShareEntry::Directory ? "/" : ""));
    e.next();
  }
  return seen;
}

std::string describe(std::initializer_list<std::pair<const char*, uint64_t>> files,
                     uint32_t flags = 0) {
  ft::ManagedVector<ft::ShareEntry> entries;
  for (auto& file : files)
    entries.push_back(new ft::ShareEntry(file.first, flags, file.second, 0, 0, 0));
  return ft::describeShare(entries).c_str();
}

} // namespace

TEST(PartialShareEnum, DepthFoldsDeeperEntriesIntoOneDirectoryEach) {
  Entries entries{"a/x", "a/y/z"};
  EXPECT_EQ((Lines{"a/"}), walk(entries, "", 1));
  EXPECT_EQ((Lines{"a/x", "a/y/"}), walk(entries, "", 2));
  EXPECT_EQ((Lines{"a/x", "a/y/z"}), walk(entries, "", 0));
}

TEST(PartialShareEnum, RelNameSelectsOneDirectoryWithOrWithoutSlash) {
  Entries entries{"a", "a/x", "ab/x", "a/y/z", "b/x"};
  EXPECT_EQ((Lines{"a/x", "a/y/z"}), walk(entries, "a", 0));
  EXPECT_EQ((Lines{"a/x", "a/y/z"}), walk(entries, "a/", 0));
  EXPECT_EQ((Lines{"a/x", "a/y/"}), walk(entries, "a", 1));
  EXPECT_EQ((Lines{}), walk(entries, "c", 0));
}

TEST(PartialShareEnum, ResumingLaterDoesNotRepeatAFoldedDirectory) {
  // A listing sent in batches restarts the walk where the last batch ended.
  Entries entries{"d/1/a", "d/1/b", "d/2", "e"};
  EXPECT_EQ((Lines{"d/1/", "d/2", "e"}), walk(entries, "", 2));
  EXPECT_EQ((Lines{"d/2", "e"}), walk(entries, "", 2, 1));
  ft::PartialShareEnum e(entries, 0, "", 2);
  EXPECT_EQ(0u, e.position());
  e.next();
  EXPECT_EQ(2u, e.position());
}

TEST(ShareDescription, SizeTextChangesUnitOnlyAboveOneOfIt) {
  EXPECT_STREQ("0 bytes", ft::shareSizeText(0).c_str());
  EXPECT_STREQ("1024 bytes", ft::shareSizeText(1024).c_str());
  EXPECT_STREQ("1.00 Kb", ft::shareSizeText(1025).c_str());
  EXPECT_STREQ("1024.00 Kb", ft::shareSizeText(1048576).c_str());
  EXPECT_STREQ("1.00 Mb", ft::shareSizeText(1048577).c_str());
  EXPECT_STREQ("1024.00 Mb", ft::shareSizeText(1073741824).c_str());
  EXPECT_STREQ("1.00 Gb", ft::shareSizeText(1073741825).c_str());
  EXPECT_STREQ("1024.00 Gb", ft::shareSizeText(1099511627776ULL).c_str());
  EXPECT_STREQ("1.00 Tb", ft::shareSizeText(1099511627777ULL).c_str());
  EXPECT_STREQ("16777216.00 Tb", ft::shareSizeText(~0ULL).c_str());
}

TEST(ShareDescription, NamesCountsAndPlurals) {
  EXPECT_EQ("f.txt (1024 bytes)", describe({{"f.txt", 1024}}));
  EXPECT_EQ("f.txt (1.00 Kb)", describe({{"f.txt", 1025}}));
  EXPECT_EQ("d (2.00 Mb in 2 files)", describe({{"d/a", 1 << 20}, {"d/b", 1 << 20}}));
  EXPECT_EQ("multiple files (2 bytes in 2 files)", describe({{"d/a", 1}, {"e/b", 1}}));
  EXPECT_EQ("empty share (0 bytes in 0 files)", describe({}));

  // Directories are not files: one folder with one file is "1 file".
  ft::ManagedVector<ft::ShareEntry> entries;
  entries.push_back(new ft::ShareEntry("d", ft::ShareEntry::Directory, 0, 0, 0, 0));
  entries.push_back(new ft::ShareEntry("d/f", 0, 10, 0, 0, 0));
  EXPECT_STREQ("d (10 bytes in 1 file)", ft::describeShare(entries).c_str());
}

TEST(ShareDescription, LongNamesAreKeptWhole) {
  std::string name(2000, 'n');
  EXPECT_EQ(name + " (5 bytes)", describe({{name.c_str(), 5}}));
}

namespace {

// Makes the probe's download manager hold a complete listing of share 7.
ft::ShareProxy* listedShare(Probe& probe, std::initializer_list<const char*> names) {
  probe.ext().shareCtrl(probe.conn(), 7, 0, 2);
  probe.ext().writeMsgs(probe.conn()); // the listing request
  for (const char* name : names)
    probe.ext().shareEntry(probe.conn(), 7, new ft::ShareEntry(name, 0, 3, 0, 0, 0));
  probe.ext().shareDataEOF(probe.conn(), 7);
  probe.sent();
  return probe.ext().getCurrentShare();
}

} // namespace

TEST(ShareProxy, CopiesTheListingAndTellsTheOtherEndWhenReleased) {
  Probe probe;
  ft::ShareProxy* share = listedShare(probe, {"d/a", "d/b"});
  ASSERT_TRUE(share);
  EXPECT_EQ(7u, share->shareId());
  EXPECT_EQ(2u, share->flags());
  ASSERT_EQ(2u, share->size());
  EXPECT_STREQ("d/b", (*share)[1]->name.c_str());
  EXPECT_STREQ("d (6 bytes in 2 files)", share->description());
  EXPECT_EQ(probe.download(), share->owner());

  // The extension holds one reference, the test the other.
  probe.download()->clearCurrentShare();
  EXPECT_EQ(Lines{}, probe.sent());
  share->release();
  EXPECT_EQ(Lines{"releaseShare 7"}, probe.sent());
}

TEST(ShareProxy, NoReleaseOnceItsConnectionIsGone) {
  Probe probe;
  ft::ShareProxy* share = listedShare(probe, {"f"});
  probe.end.close();
  // The manager went, and with it the current share; the test's reference
  // outlives both.
  EXPECT_EQ(nullptr, probe.ext().getCurrentShare());
  EXPECT_EQ(nullptr, share->owner());
  share->release();
  EXPECT_EQ(Lines{}, probe.sent());
}
