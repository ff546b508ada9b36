#include "ft/DownloadPaths.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using ft::DownloadPaths;

namespace {

std::set<std::string> onDisk;
bool existsOnDisk(const char* path) { return onDisk.count(path) != 0; }

class DownloadPathsTest : public testing::Test {
protected:
  void SetUp() override { onDisk.clear(); }
  std::string local(const std::string& name) { return paths.localPath(name).c_str(); }
  DownloadPaths paths{"C:\\dl", existsOnDisk};
};

} // namespace

TEST(DownloadPathsRoot, GetsOneTrailingBackslash) {
  EXPECT_STREQ("C:\\dl\\", DownloadPaths("C:\\dl", existsOnDisk).root());
  EXPECT_STREQ("C:\\dl\\", DownloadPaths("C:\\dl\\", existsOnDisk).root());
  EXPECT_STREQ("C:\\dl\\", DownloadPaths("C:\\dl/", existsOnDisk).root());
}

TEST_F(DownloadPathsTest, FreeNamesAreUsedAsTheyAre) {
  paths.checkClashes("a/b/c.txt", 1000);
  EXPECT_EQ("C:\\dl\\a\\b\\c.txt", local("a/b/c.txt"));
}

TEST_F(DownloadPathsTest, AnExistingFileIsNeverTaken) {
  onDisk = {"C:\\dl\\report.txt", "C:\\dl\\report (1).txt"};
  paths.checkClashes("report.txt", 1000);
  EXPECT_EQ("C:\\dl\\report (2).txt", local("report.txt"));
  // Resolved once: the file made under the new name does not clash again.
  onDisk.insert("C:\\dl\\report (2).txt");
  paths.checkClashes("report.txt", 1000);
  EXPECT_EQ("C:\\dl\\report (2).txt", local("report.txt"));
}

TEST_F(DownloadPathsTest, AFilesOwnNameIsResolvedOnlyOnceFoundTaken) {
  onDisk = {"C:\\dl\\docs", "C:\\dl\\notes.txt"};
  paths.checkFolders("docs/a.txt", 1000);
  paths.checkFolders("notes.txt", 1000);
  EXPECT_EQ("C:\\dl\\docs (1)\\a.txt", local("docs/a.txt"));
  EXPECT_EQ("C:\\dl\\notes.txt", local("notes.txt")); // not looked at
  paths.takenName("notes.txt", 1000);
  EXPECT_EQ("C:\\dl\\notes (1).txt", local("notes.txt"));
}

TEST_F(DownloadPathsTest, OnlyTheTopMostClashIsRenamedAndEverythingBeneathFollows) {
  onDisk = {"C:\\dl\\photos", "C:\\dl\\photos\\a.jpg"};
  paths.checkClashes("photos", 1000);
  paths.checkClashes("photos/a.jpg", 1000);
  paths.checkClashes("photos/trip/b.jpg", 1000);
  EXPECT_EQ("C:\\dl\\photos (1)", local("photos"));
  EXPECT_EQ("C:\\dl\\photos (1)\\a.jpg", local("photos/a.jpg"));
  EXPECT_EQ("C:\\dl\\photos (1)\\trip\\b.jpg", local("photos/trip/b.jpg"));
}

TEST_F(DownloadPathsTest, TheNumberGoesBeforeTheLastComponentsExtension) {
  onDisk = {"C:\\dl\\a.tar.gz", "C:\\dl\\my.dir\\readme", "C:\\dl\\.profile"};
  paths.checkClashes("a.tar.gz", 1000);
  paths.checkClashes("my.dir/readme", 1000);
  paths.checkClashes(".profile", 1000);
  EXPECT_EQ("C:\\dl\\a.tar (1).gz", local("a.tar.gz"));
  EXPECT_EQ("C:\\dl\\my.dir\\readme (1)", local("my.dir/readme"));
  EXPECT_EQ("C:\\dl\\.profile (1)", local(".profile"));
}

TEST_F(DownloadPathsTest, ACandidateIsNotRenamedAgainByAnotherRename) {
  // The share holds both "x" and "x (1)"; the disk already has "x" and
  // "x (1)/f" clashes inside the renamed folder.
  onDisk = {"C:\\dl\\x", "C:\\dl\\x (1)", "C:\\dl\\x (2)\\f"};
  paths.checkClashes("x (1)", 1000);
  EXPECT_EQ("C:\\dl\\x (1) (1)", local("x (1)"));
  paths.checkClashes("x/f", 1000);
  EXPECT_EQ("C:\\dl\\x (2)\\f (1)", local("x/f"));
}

TEST_F(DownloadPathsTest, ClashesDeeperDownFollowTheRenamesAboveThem) {
  onDisk = {"C:\\dl\\a", "C:\\dl\\a (1)\\b\\c"};
  paths.checkClashes("a/b/c/d", 1000);
  EXPECT_EQ("C:\\dl\\a (1)\\b\\c (1)\\d", local("a/b/c/d"));
}

TEST_F(DownloadPathsTest, TooManyClashesFail) {
  onDisk = {"C:\\dl\\f", "C:\\dl\\f (1)", "C:\\dl\\f (2)"};
  try {
    paths.checkClashes("f", 2);
    FAIL();
  } catch (plat::Exception& e) {
    EXPECT_STREQ("Too many name clashes", e.str());
  }
  paths.checkClashes("f", 3);
  EXPECT_EQ("C:\\dl\\f (3)", local("f"));
}

TEST_F(DownloadPathsTest, NamesThatCouldLeaveTheRootAreRefused) {
  for (const char* bad : {"..", "a/../b", "a/./b", "a//b", "/a", "a/", "x:y", "a\\..\\b",
                          "a/.. ", "a/b.", "bell\a"}) {
    EXPECT_THROW(local(bad), plat::Exception) << bad;
  }
}
