#include "BookFiles.h"
#include "ledrow/book/FolderScan.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/book/TreeLeaf.h"

#ifdef _WIN32
#include "plat/win/Unicode.h"

#include <windows.h>
#endif

#include <memory>

using namespace addrbook;

namespace {

typedef std::vector<std::string> Names;

Names namesOf(const TreeBranch& branch) {
  Names names;
  for (const TreeNode* node : branch.children())
    names.push_back(std::string(node->getName()) + (node->isBranch() ? "/" : ""));
  return names;
}

Names leafNames(const std::vector<TreeLeaf*>& leaves) {
  Names names;
  for (const TreeLeaf* leaf : leaves)
    names.push_back(leaf->getName());
  return names;
}

struct EntryTree : OptionsTest {
  ScratchDir scratch;
  std::string top;
  void SetUp() override {
    OptionsTest::SetUp();
    top = scratch.file("Book");
    makeDirectory(top.c_str());
  }
  std::unique_ptr<TreeBranch> scanned() {
    auto root = std::make_unique<TreeBranch>(top.c_str(), nullptr);
    scanFolder(root.get());
    return root;
  }
};

} // namespace

TEST_F(EntryTree, FoldersFirstThenEntriesEachByName) {
  makeFolder(top, "beta");
  makeEntry(join(top, "Alpha.kiv"), "a");
  makeEntry(join(top, "alpha2.kiv"), "a2");
  makeFolder(top, "Zed");
  auto root = scanned();
  EXPECT_EQ((Names{"beta/", "Zed/", "Alpha", "alpha2"}), namesOf(*root));
  EXPECT_STREQ("Book", root->getName());
}

// A folder on a file system that tells names apart by case may hold names
// that differ only in case: both must be kept, in a fixed order.
TEST_F(EntryTree, NamesDifferingOnlyInCaseAreBothKept) {
  TreeBranch root(top.c_str(), nullptr);
  for (const char* name : {"server.kiv", "Server.kiv", "SERVER.kiv", "server.KIV"})
    root.add(std::make_unique<TreeLeaf>(join(top, name).c_str(), &root));
  for (const char* name : {"docs", "Docs"})
    root.add(std::make_unique<TreeBranch>(join(top, name).c_str(), &root));
  EXPECT_EQ((Names{"Docs/", "docs/", "SERVER", "Server", "server", "server"}), namesOf(root));
  std::vector<TreeLeaf*> leaves = root.allLeaves();
  EXPECT_EQ(join(top, "server.KIV"), leaves[2]->getPath());
  EXPECT_EQ(join(top, "server.kiv"), leaves[3]->getPath());
}

TEST_F(EntryTree, ScannedNamesDifferingOnlyInCase) {
  makeEntry(join(top, "server.kiv"), "lower");
  makeEntry(join(top, "Server.kiv"), "upper");
  makeFolder(top, "docs");
  makeFolder(top, "Docs");
  auto root = scanned();
  if (readText(join(top, "server.kiv")) == readText(join(top, "Server.kiv")))
    GTEST_SKIP() << "this file system ignores case";
  EXPECT_EQ((Names{"Docs/", "docs/", "Server", "server"}), namesOf(*root));
  std::vector<TreeLeaf*> leaves = root->allLeaves();
  ASSERT_EQ(2u, leaves.size());
  EXPECT_STREQ("upper", leaves[0]->config().getHost());
  EXPECT_STREQ("lower", leaves[1]->config().getHost());
}

TEST_F(EntryTree, WhichFilesAreEntries) {
  makeEntry(join(top, ".hidden.kiv"), "hidden");
  makeEntry(join(top, "caf\xc3\xa9 \xe2\x82\xac (1).kiv"), "odd");
  makeEntry(join(top, "upper.KIV"), "x");
  makeEntry(join(top, ".kiv"), "x");
  makeEntry(join(top, "notes.txt"), "x");
  makeEntry(join(top, "kiv"), "x");
#ifdef _WIN32
  plat::WString hidden(join(top, ".hidden.kiv").c_str());
  ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
#endif
  makeFolder(top, "empty.kiv"); // a folder, whatever its name
  auto root = scanned();
  EXPECT_EQ((Names{"empty.kiv/", ".hidden", "caf\xc3\xa9 \xe2\x82\xac (1)"}), namesOf(*root));
  for (TreeLeaf* leaf : root->allLeaves()) {
    EXPECT_TRUE(leaf->isReadable());
    EXPECT_STREQ(leaf->getPath(), leaf->config().getFilePath());
  }
}

TEST_F(EntryTree, LeafNames) {
  TreeLeaf upper(join(top, "Server.KIV").c_str(), nullptr);
  EXPECT_STREQ("Server", upper.getName());
  EXPECT_FALSE(upper.isReadable()); // no such file
  TreeLeaf bare(join(top, ".kiv").c_str(), nullptr);
  EXPECT_STREQ(".kiv", bare.getName());
  TreeLeaf shortName(join(top, "ab").c_str(), nullptr);
  EXPECT_STREQ("ab", shortName.getName());
  TreeLeaf noFolder("x.kiv", nullptr);
  EXPECT_STREQ("x", noFolder.getName());
  noFolder.rename("y");
  EXPECT_STREQ("y.kiv", noFolder.getPath());
}

TEST_F(EntryTree, UnreadableEntriesStayInTheTree) {
  writeText(join(top, "broken.kiv"), "[Connection]\nHost=kept\n[bad\n");
  auto root = scanned();
  std::vector<TreeLeaf*> leaves = root->allLeaves();
  ASSERT_EQ(1u, leaves.size());
  EXPECT_FALSE(leaves[0]->isReadable());
  EXPECT_STREQ("kept", leaves[0]->config().getHost());
}

TEST_F(EntryTree, RenamingAFolderMovesItsSubtree) {
  std::string work = makeFolder(top, "Work");
  std::string deep = makeFolder(work, "Deep");
  makeEntry(join(work, "a.kiv"), "a");
  makeEntry(join(deep, "b.kiv"), "b");
  makeEntry(join(top, "c.kiv"), "c");
  auto root = scanned();
  TreeBranch* workNode = static_cast<TreeBranch*>(*root->children().begin());
  ASSERT_STREQ("Work", workNode->getName());

  workNode->rename("Office");
  std::string office = join(top, "Office");
  EXPECT_STREQ(office.c_str(), workNode->getPath());
  std::vector<TreeLeaf*> leaves = root->allLeaves();
  ASSERT_EQ(3u, leaves.size());
  EXPECT_EQ(join(join(office, "Deep"), "b.kiv"), leaves[0]->getPath());
  EXPECT_EQ(join(office, "a.kiv"), leaves[1]->getPath());
  EXPECT_EQ(join(top, "c.kiv"), leaves[2]->getPath());
  for (TreeLeaf* leaf : leaves)
    EXPECT_STREQ(leaf->getPath(), leaf->config().getFilePath());
  EXPECT_EQ((Names{"b", "a", "c"}), leafNames(leaves));

  // The whole book moves too.
  root->setPath(scratch.file("Moved").c_str());
  EXPECT_EQ(join(join(join(scratch.file("Moved"), "Office"), "Deep"), "b.kiv"),
            root->allLeaves()[0]->getPath());
}

TEST_F(EntryTree, RenamedNodesTakeTheirNewPlace) {
  for (const char* name : {"a", "b", "c", "d"})
    makeEntry(join(top, std::string(name) + ".kiv"), name);
  makeFolder(top, "m");
  makeFolder(top, "n");
  auto root = scanned();
  std::vector<TreeLeaf*> leaves = root->allLeaves();
  leaves[0]->rename("z");
  EXPECT_EQ(join(top, "z.kiv"), leaves[0]->getPath());
  EXPECT_STREQ(leaves[0]->getPath(), leaves[0]->config().getFilePath());
  EXPECT_EQ((Names{"m/", "n/", "b", "c", "d", "z"}), namesOf(*root));
  leaves[3]->rename("C"); // "d" next to "c", told apart by case
  EXPECT_EQ((Names{"m/", "n/", "b", "C", "c", "z"}), namesOf(*root));
  static_cast<TreeBranch*>(*root->children().begin())->rename("zz");
  EXPECT_EQ((Names{"n/", "zz/", "b", "C", "c", "z"}), namesOf(*root));
  // Every node can still be found by the order.
  for (TreeNode* node : root->children())
    EXPECT_EQ(1u, root->children().count(node));
}

TEST_F(EntryTree, DuplicatesAndClashesChangeNothing) {
  std::string work = makeFolder(top, "work");
  makeEntry(join(work, "inner.kiv"), "i");
  makeEntry(join(top, "a.kiv"), "a");
  makeEntry(join(top, "b.kiv"), "b");
  auto root = scanned();
  // A second scan meets every node again: each is kept once, and the scan
  // goes on into the folder that was already there.
  scanFolder(root.get());
  EXPECT_EQ((Names{"work/", "a", "b"}), namesOf(*root));
  EXPECT_EQ(3u, root->allLeaves().size());
  TreeLeaf* a = root->allLeaves()[1];
  EXPECT_EQ(a, root->add(std::make_unique<TreeLeaf>(a->getPath(), root.get())));

  const std::string aPath = a->getPath();
  try {
    a->rename("b");
    FAIL();
  } catch (const plat::Exception& e) {
    EXPECT_STREQ("\"b\" already exists", e.str());
  }
  EXPECT_EQ(aPath, a->getPath());
  EXPECT_EQ(aPath, a->config().getFilePath());
  EXPECT_THROW(a->setPath(join(top, "b.kiv").c_str()), plat::Exception);
  TreeBranch* folder = static_cast<TreeBranch*>(*root->children().begin());
  EXPECT_THROW(folder->setPath(aPath.c_str()), plat::Exception); // a folder onto an entry's file
  EXPECT_EQ(join(work, "inner.kiv"), root->allLeaves()[0]->getPath());
  EXPECT_EQ((Names{"work/", "a", "b"}), namesOf(*root));
  for (TreeNode* node : root->children())
    EXPECT_EQ(1u, root->children().count(node));
}

TEST_F(EntryTree, LeavesDepthFirstAndLockedOnes) {
  std::string sub = makeFolder(top, "sub");
  makeEntry(join(top, "plain.kiv"), "p");
  makeEntry(join(sub, "inner.kiv"), "i");
  auto root = scanned();
  EXPECT_EQ((Names{"inner", "plain"}), leafNames(root->allLeaves()));
  EXPECT_FALSE(root->hasLockedLeaves());
  std::vector<TreeLeaf*> locked;
  root->collectEncryptedLeaves(&locked);
  EXPECT_TRUE(locked.empty());

  EncryptedConfig entry;
  entry.setHost("s");
  entry.setPassword("pw");
  entry.encrypt("master");
  entry.saveToFile(join(sub, "signed.kiv").c_str(), true, false, nullptr);
  root = scanned();
  EXPECT_TRUE(root->hasLockedLeaves());
  root->collectEncryptedLeaves(&locked);
  EXPECT_EQ(Names{"signed"}, leafNames(locked));
  EXPECT_EQ((Names{"inner", "signed", "plain"}), leafNames(root->allLeaves()));
}

// A leaf keeps what the tree shows from the scan and reads its option set
// when first asked for, then keeps that.
TEST_F(EntryTree, OptionSetsAreReadOnFirstUse) {
  EncryptedConfig entry;
  entry.setHost("s");
  entry.encrypt("master");
  entry.saveToFile(join(top, "signed.kiv").c_str(), true, false, nullptr);
  makeEntry(join(top, "plain.kiv"), "before");
  auto root = scanned();
  TreeLeaf* plain = root->allLeaves()[0];
  TreeLeaf* signedLeaf = root->allLeaves()[1];
  EXPECT_TRUE(signedLeaf->isProtected());
  EXPECT_FALSE(plain->isProtected());

  makeEntry(join(top, "plain.kiv"), "first use");
  EXPECT_STREQ("first use", plain->config().getHost());
  makeEntry(join(top, "plain.kiv"), "later");
  EXPECT_STREQ("first use", plain->config().getHost());
  ASSERT_TRUE(signedLeaf->config().decrypt("master"));
  EXPECT_FALSE(signedLeaf->isProtected());
}
