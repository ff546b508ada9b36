// Renames, moves and new folders as the user asks for them, on disk.
#include "BookFiles.h"
#include "ledrow/book/BookEdits.h"
#include "ledrow/book/FolderScan.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/book/TreeLeaf.h"

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace addrbook;

namespace {

typedef std::vector<std::string> Names;

struct BookEdits : OptionsTest {
  ScratchDir scratch;
  std::string top;
  std::unique_ptr<TreeBranch> root;
  void SetUp() override {
    OptionsTest::SetUp();
    top = scratch.file("Book");
    makeDirectory(top.c_str());
    std::string work = makeFolder(top, "Work");
    makeFolder(work, "Deep");
    makeEntry(join(work, "inner.kiv"), "inner");
    makeEntry(join(top, "server.kiv"), "server");
    makeEntry(join(top, "other.kiv"), "other");
    rescan();
  }
  void rescan() {
    root = std::make_unique<TreeBranch>(top.c_str(), nullptr);
    scanFolder(root.get());
  }
  TreeNode* child(TreeBranch& folder, const char* name) {
    for (TreeNode* node : folder.children())
      if (strcmp(node->getName(), name) == 0)
        return node;
    return nullptr;
  }
  TreeBranch& work() { return *static_cast<TreeBranch*>(child(*root, "Work")); }
  TreeBranch& deep() { return *static_cast<TreeBranch*>(child(work(), "Deep")); }
  std::string error(const std::function<void()>& edit) {
    try {
      edit();
    } catch (const plat::Exception& e) {
      return e.str();
    }
    return "(none)";
  }
};

} // namespace

TEST_F(BookEdits, RenamesRefuseNamesThatWouldLeaveTheFolderOrVanish) {
  TreeNode* server = child(*root, "server");
  for (const char* name : {"", ".", "..", "../server", "..\\up", "a/b", "c:d", "CON", "lpt1.txt",
                           "trailing.", "trailing ", "tab\there", "star*", "q?"})
    EXPECT_EQ(InvalidNameText, error([&] { renameOnDisk(*server, name); })) << name;
  EXPECT_EQ((Names{"Work/", "other.kiv", "server.kiv"}), namesIn(top));
  // Unchanged: nothing to do.
  EXPECT_EQ("", renameOnDisk(*server, "server"));

  // An entry keeps its extension; a folder takes the name as it is.
  EXPECT_EQ(join(top, "Mail host.kiv"), renameOnDisk(*server, "Mail host"));
  EXPECT_EQ(join(top, "Office"), renameOnDisk(work(), "Office"));
  EXPECT_EQ((Names{"Mail host.kiv", "Office/", "other.kiv"}), namesIn(top));
  rescan();
  // An existing file of the name is never replaced.
  std::string before = readText(join(top, "other.kiv"));
  EXPECT_EQ(0u, error([&] { renameOnDisk(*child(*root, "Mail host"), "other"); })
                    .find("Unable to rename file: "));
  EXPECT_EQ(before, readText(join(top, "other.kiv")));
  EXPECT_EQ(TopFolderText, error([&] { renameOnDisk(*root, "Elsewhere"); }));
}

TEST_F(BookEdits, MovesIntoFoldersButNeverAFolderIntoItself) {
  EXPECT_EQ(IntoItselfText, error([&] { moveOnDisk(work(), work()); }));
  EXPECT_EQ(IntoItselfText, error([&] { moveOnDisk(work(), deep()); }));
  EXPECT_EQ(TopFolderText, error([&] { moveOnDisk(*root, deep()); }));
  // Onto its own folder: nothing moves.
  EXPECT_EQ("", moveOnDisk(*child(*root, "server"), *root));

  EXPECT_EQ(join(join(join(top, "Work"), "Deep"), "server.kiv"),
            moveOnDisk(*child(*root, "server"), deep()));
  EXPECT_EQ(join(top, "Deep"), moveOnDisk(deep(), *root)); // with what it holds
  EXPECT_EQ((Names{"Deep/", "Work/", "other.kiv"}), namesIn(top));
  EXPECT_EQ(Names{"server.kiv"}, namesIn(join(top, "Deep")));

  // A name taken in the destination stays as it was.
  rescan();
  makeEntry(join(join(top, "Work"), "other.kiv"), "clash");
  EXPECT_EQ(0u, error([&] { moveOnDisk(*child(*root, "other"), work()); })
                    .find("Unable to move file: "));
  EXPECT_NE("(missing)", readText(join(top, "other.kiv")));
}

TEST_F(BookEdits, NewFoldersTakeTheNextFreeName) {
  EXPECT_EQ(join(top, "New Folder"), makeNewFolder(top.c_str()));
  EXPECT_EQ(join(top, "New Folder (1)"), makeNewFolder(top.c_str()));
  writeText(join(top, "New Folder (2)"), "a file of the name");
  EXPECT_EQ(join(top, "New Folder (3)"), makeNewFolder(top.c_str()));
  // A folder that cannot hold one.
  std::string file = join(top, "other.kiv");
  EXPECT_EQ(0u, error([&] { makeNewFolder(file.c_str()); }).find("Unable to create folder: "));
}

#ifndef _WIN32
TEST_F(BookEdits, TheScanLeavesLinksOut) {
  ASSERT_EQ(0, symlink(top.c_str(), join(join(top, "Work"), "loop").c_str()));
  ASSERT_EQ(0, symlink(join(top, "server.kiv").c_str(), join(top, "alias.kiv").c_str()));
  rescan();
  EXPECT_EQ(nullptr, child(work(), "loop"));
  EXPECT_EQ(nullptr, child(*root, "alias"));
  EXPECT_EQ(3u, root->allLeaves().size());
}
#endif
