#include "os/win/DirIterator.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using os::DirIterator;
using testing_support::TempDir;
using testing_support::wide;
using testing_support::writeFile;

namespace {

struct Directory : testing::Test {
  Directory() {
    writeFile(dir.file("a.txt"), "12345");
    writeFile(dir.file("b"), "");
    CreateDirectoryW(wide(dir.file("sub")).c_str(), nullptr);
  }
  // name -> full path, with "/" marking directories in the name.
  std::set<std::string> list(const std::string& directory, DirIterator::Form form) {
    std::set<std::string> entries;
    DirIterator it(directory.c_str(), "*", form);
    while (const char* name = it.next()) {
      EXPECT_STREQ(name, it.name());
      std::string full = it.fullPath();
      EXPECT_EQ(dir.file(name), full);
      if (form == DirIterator::Wide) {
        EXPECT_EQ(nullptr, it.findDataA());
      }
      entries.insert(std::string(name) + (it.isDirectory() ? "/" : ""));
    }
    EXPECT_EQ(nullptr, it.next());
    return entries;
  }
  TempDir dir;
};

typedef std::set<std::string> Names;

} // namespace

TEST_F(Directory, WithAndWithoutTrailingSeparator) {
  Names expected{"a.txt", "b", "sub/"};
  EXPECT_EQ(expected, list(dir.path(), DirIterator::Wide));
  EXPECT_EQ(expected, list(dir.path() + "\\", DirIterator::Wide));
}

TEST_F(Directory, AnsiForm) {
  EXPECT_EQ((Names{"a.txt", "b", "sub/"}), list(dir.path(), DirIterator::Ansi));
  DirIterator it(dir.path().c_str(), "a.*", DirIterator::Ansi);
  ASSERT_STREQ("a.txt", it.next());
  EXPECT_EQ(5u, it.findDataA()->nFileSizeLow);
  EXPECT_EQ(nullptr, it.findDataW());
}

TEST_F(Directory, PatternAndMissingDirectory) {
  DirIterator txt(dir.path().c_str(), "*.txt");
  EXPECT_STREQ("a.txt", txt.next());
  EXPECT_EQ(nullptr, txt.next());
  DirIterator none(dir.file("nowhere").c_str(), "*");
  EXPECT_EQ(nullptr, none.next());
}
