#include "os/win/OleInitialiser.h"
#include "os/win/ShellItem.h"
#include "plat/String.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <string>

using os::ItemIdList;
using testing_support::TempDir;

namespace {

struct ShellItems : testing::Test {
  ShellItems() {
    testing_support::writeFile(dir.file("file.txt"), "data");
    CreateDirectoryW(testing_support::wide(dir.file("folder")).c_str(), nullptr);
    testing_support::writeFile(dir.file("folder\\inner.txt"), "x");
  }
  static std::string take(char* text) { return plat::String::adopt(text).c_str(); }

  os::OleInitialiser ole;
  TempDir dir;
};

} // namespace

TEST_F(ShellItems, FileRoundTripsThroughItsName) {
  std::string path = dir.file("file.txt");
  ItemIdList list(path.c_str());
  EXPECT_FALSE(list.isEmpty());
  os::ShellItem item(list);
  EXPECT_EQ(path, take(item.getParsingName()));
  EXPECT_EQ("file.txt", take(item.getName()));
  EXPECT_TRUE(item.isFileSystem());
  EXPECT_TRUE(item.canCopy());

  // The same list copied out of a block of exactly its size.
  os::ShellItem bounded(list.data(), list.size());
  EXPECT_EQ(path, take(bounded.getParsingName()));
}

TEST_F(ShellItems, FolderRoundTripsAndBinds) {
  std::string path = dir.file("folder");
  os::ShellItem folder{ItemIdList(path.c_str())};
  EXPECT_EQ(path, take(folder.getParsingName()));
  EXPECT_EQ("folder", take(folder.getName()));
  EXPECT_TRUE(folder.isFileSystem());

  // An item relative to the bound folder: the last item of the inner file.
  IShellFolder* bound = folder.getFolder();
  ASSERT_TRUE(bound != nullptr);
  ItemIdList inner(dir.file("folder\\inner.txt").c_str());
  ItemIdList last;
  inner.splitLast(&last);
  os::ShellItem relative(last, bound);
  bound->Release();
  EXPECT_EQ(dir.file("folder\\inner.txt"), take(relative.getParsingName()));
  EXPECT_EQ("inner.txt", take(relative.getName()));
  EXPECT_TRUE(relative.isFileSystem());
}

TEST_F(ShellItems, HandBuiltParentAndEmptyListIsTheFolderItself) {
  os::ShellItem desktop(nullptr, -1);
  EXPECT_TRUE(desktop.isEmpty());
  IShellFolder* self = desktop.getFolder();
  EXPECT_EQ(desktop.folder(), self);
  self->Release();

  // The parent part of the file's list, split off by hand, names the
  // temporary directory.
  ItemIdList parent(dir.file("file.txt").c_str());
  ItemIdList last;
  parent.splitLast(&last);
  EXPECT_EQ(dir.path(), take(os::ShellItem(parent).getParsingName()));
}

TEST_F(ShellItems, NamespaceObjectGivesItsDisplayName) {
  const char* myComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
  os::ShellItem computer{ItemIdList(myComputer)};
  std::string parsing = take(computer.getParsingName());
  EXPECT_EQ(0u, parsing.find("::{")) << parsing;
  std::string name = take(computer.getName());
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(std::string::npos, name.find("::{")) << name;
}

TEST_F(ShellItems, UnparsablePathThrows) {
  try {
    ItemIdList list(dir.file("no such file").c_str());
    ADD_FAILURE();
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(0, strncmp(e.str(), "IShellFolder::ParseDisplayName: ", 32)) << e.str();
  }
}
