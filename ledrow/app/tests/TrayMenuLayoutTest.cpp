#include "ledrow/app/TrayMenuLayout.h"
#include "ledrow/app/tests/SampleBook.h"
#include "ledrow/book/FolderScan.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/tests/ScratchDir.h"

#include <gtest/gtest.h>

#include <string>

using namespace addrbook;

namespace {

typedef std::vector<std::unique_ptr<TreeBranch>> Roots;

// The walk as text: "<id> <name>" an item, "[" and "]" around a folder's.
struct Transcript : TrayMenuVisitor {
  std::string text;
  void beginFolder(int id, const TreeBranch& folder) override {
    text += std::to_string(id) + " " + folder.getName() + " [";
  }
  void endFolder() override { text += "] "; }
  void entry(int id, TreeLeaf* leaf) override {
    text += std::to_string(id) + " " + leaf->getName() + ", ";
  }
};

void addRoot(Roots* roots, const std::string& path) {
  makeDirectory(path.c_str());
  roots->emplace_back(new TreeBranch(path.c_str(), nullptr));
  scanFolder(roots->back().get());
}

} // namespace

TEST(TrayMenuLayout, IdsCountFoldersAndEntriesInTreeOrder) {
  ScratchDir dir;
  Roots roots;
  sample::writeSampleBook(dir.file("Book"), "master");
  addRoot(&roots, dir.file("Book"));
  Transcript one;
  walkTrayMenu(roots, 100, one);
  // The one top folder is not an item of its own.
  EXPECT_EQ("100 Home [101 Living room, ] 102 Office [103 Servers [104 Backup, 105 Mail server, ] "
            "106 Accounts, 107 Reception, ] 108 Alpha desk, 109 Build farm, ",
            one.text);
  std::map<int, TreeLeaf*> entries = trayMenuEntries(roots, 100);
  ASSERT_EQ(7u, entries.size());
  EXPECT_EQ(0u, entries.count(100));
  EXPECT_STREQ("Living room", entries.at(101)->getName());
  EXPECT_STREQ("Mail server", entries.at(105)->getName());
  EXPECT_STREQ("Build farm", entries.at(109)->getName());

  // Two top folders are items themselves, and take ids.
  makeDirectory(dir.file("Second").c_str());
  sample::writeEntry(dir.file("Second") + PathSeparator + "Only.kiv", "only.example");
  addRoot(&roots, dir.file("Second"));
  Transcript two;
  walkTrayMenu(roots, 100, two);
  EXPECT_EQ(0u, two.text.find("100 Book [101 Home [102 Living room, ]")) << two.text;
  EXPECT_NE(std::string::npos, two.text.find("110 Build farm, ] 111 Second [112 Only, ] "))
      << two.text;
  EXPECT_STREQ("Only", trayMenuEntries(roots, 100).at(112)->getName());
}
