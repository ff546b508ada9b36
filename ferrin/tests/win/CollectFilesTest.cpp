// Collecting copied files: every name the user copied is offered, hard
// links of one file and names that differ only in case included, whatever
// ids the volume gives; only the same name reached again is collected
// once, and a walk that ids cannot bound ends where paths do.
#include "ferrin/win/CollectFiles.h"
#include "ferrin/upload/win/FileProxyWin32File.h"
#include "testing/ChildProcess.h"
#include "testing/RecordingLogger.h"
#include "testing/ReturnsWithin.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cwchar>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>

using namespace testing_support;

namespace {

// Runs call with no more than 128 KiB of the thread's stack left to it,
// which a walk holding each level on the stack overflows within a hundred
// levels or so: one that needs no more stack for a deeper level never does.
void withLittleStack(const std::function<void()>& call) {
  const size_t Room = 128 << 10;
  char here = 0;
  MEMORY_BASIC_INFORMATION stack;
  if (!VirtualQuery(&here, &stack, sizeof(stack)))
    throw std::runtime_error("VirtualQuery");
  size_t left = (size_t)(&here - (char*)stack.AllocationBase);
  if (left > Room) {
    volatile char* taken = (volatile char*)alloca(left - Room);
    taken[0] = here;
  }
  call();
}

struct Collecting : testing::Test {
  TempDir dir;
  ft::ManagedVector<ft::FileProxy> got;

  // A folder "tree" with a file and two sub-folders, each with a file.
  Collecting() {
    for (const char* folder : {"tree", "tree\\one", "tree\\two"})
      CreateDirectoryW(wide(dir.file(folder)).c_str(), nullptr);
    for (const char* file : {"tree\\a.txt", "tree\\one\\b.txt", "tree\\two\\c.txt"})
      writeFile(dir.file(file), file);
  }

  std::multiset<std::string> names() const {
    std::multiset<std::string> all;
    for (const ft::FileProxy* file : got)
      all.insert(file->name.c_str());
    return all;
  }

  // The tree, named twice, collected with the identities the look-up gives.
  std::multiset<std::string> collectTree(ft::FileCollection::IdentityLookup lookup) {
    got.clear();
    ft::FileCollection collection(&got, std::move(lookup));
    collection.addPath(dir.file("tree").c_str(), "tree");
    collection.addPath(dir.file("TREE\\one\\..").c_str(), "tree");
    return names();
  }
};

const std::multiset<std::string> TreeNames = {"tree",           "tree/a.txt", "tree/one",
                                              "tree/one/b.txt", "tree/two",   "tree/two/c.txt"};

bool endsWith(const wchar_t* path, const wchar_t* end) {
  size_t length = wcslen(path), endLength = wcslen(end);
  return length >= endLength && _wcsicmp(path + length - endLength, end) == 0;
}

// The names in a folder, as listed.
std::set<std::string> listed(const std::wstring& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do
    if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L".."))
      names.insert(utf8(found.cFileName));
  while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

} // namespace

TEST_F(Collecting, EveryHardLinkOfAFileIsOffered) {
  writeFile(dir.file("top.txt"), "shared");
  ASSERT_TRUE(CreateHardLinkW(wide(dir.file("top link.txt")).c_str(),
                              wide(dir.file("top.txt")).c_str(), nullptr));
  ASSERT_TRUE(CreateHardLinkW(wide(dir.file("tree\\inner link.txt")).c_str(),
                              wide(dir.file("top.txt")).c_str(), nullptr));
  ASSERT_TRUE(CreateHardLinkW(wide(dir.file("tree\\one\\a link.txt")).c_str(),
                              wide(dir.file("tree\\a.txt")).c_str(), nullptr));
  // The system gives the links one identity, as Windows does: without it
  // the test would check nothing.
  ASSERT_TRUE(ft::fileIdentity(wide(dir.file("top.txt")).c_str())
                  .sameAs(ft::fileIdentity(wide(dir.file("top link.txt")).c_str())));

  ft::FileCollection collection(&got);
  collection.addPath(dir.file("top.txt").c_str(), "top.txt");
  collection.addPath(dir.file("top link.txt").c_str(), "top link.txt");
  collection.addPath(dir.file("tree").c_str(), "tree");
  // A mention again, and another spelling of it, are the same name.
  collection.addPath(dir.file("top link.txt").c_str(), "top link.txt");
  collection.addPath(dir.file("tree\\..\\TOP LINK.TXT").c_str(), "TOP LINK.TXT");
  std::multiset<std::string> expected = TreeNames;
  expected.insert({"top.txt", "top link.txt", "tree/inner link.txt", "tree/one/a link.txt"});
  EXPECT_EQ(expected, names());
}

TEST_F(Collecting, AFolderNamedWithTheLongPathPrefixIsCollectedOnce) {
  ft::FileCollection collection(&got);
  collection.addPath(dir.file("tree").c_str(), "tree");
  collection.addPath(("\\\\?\\" + dir.file("tree")).c_str(), "tree");
  EXPECT_EQ(TreeNames, names());
}

TEST_F(Collecting, IdsThatMeanNoneLoseNoFolder) {
  // Nothing says the two spellings are one folder: both are offered.
  std::multiset<std::string> twice = TreeNames;
  twice.insert(TreeNames.begin(), TreeNames.end());
  for (ft::FileIdentity none :
       {ft::FileIdentity::fromIndex(7, ~0ULL), ft::FileIdentity::fromIndex(7, 0),
        ft::FileIdentity::fromId(7, ~0ULL, ~0ULL)})
    EXPECT_EQ(twice, collectTree([none](const wchar_t*) { return none; }))
        << std::hex << none.high << ":" << none.low;
}

TEST_F(Collecting, FoldersWhoseIndexesCollideAreEachEntered) {
  // The same 64-bit index; the 128-bit ids differ above it.
  EXPECT_EQ(TreeNames, collectTree([](const wchar_t* path) {
              uint64_t high = endsWith(path, L"one") ? 1 : endsWith(path, L"two") ? 2 : 3;
              return ft::FileIdentity::fromId(7, 0x1234, high);
            }));
}

TEST_F(Collecting, AFolderThatLeadsBackUpItsTreeIsOfferedButNotEntered) {
  CreateDirectoryW(wide(dir.file("tree\\two\\back")).c_str(), nullptr);
  writeFile(dir.file("tree\\two\\back\\d.txt"), "d");
  // "back" is "tree" again, as a mount of its own tree would be.
  std::multiset<std::string> expected = TreeNames;
  expected.insert("tree/two/back");
  EXPECT_EQ(expected, collectTree([](const wchar_t* path) {
              uint64_t low = endsWith(path, L"one") ? 1 : endsWith(path, L"two") ? 2 : 3;
              return ft::FileIdentity::fromId(7, low, 0);
            }));
}

TEST(CollectingCaseNames, NamesThatDifferOnlyInCaseAreEachOfferedWithTheirTrees) {
  // Made by the build: without a case-sensitive folder the test would
  // check nothing.
  std::wstring folder = programFolder() + L"case-names";
  std::set<std::string> top = listed(folder);
  ASSERT_EQ((std::set<std::string>{"case.txt", "Case.txt", "dir", "Dir"}), top)
      << "the build made no folder of names that differ only in case at " << utf8(folder);

  ft::ManagedVector<ft::FileProxy> got;
  ft::FileCollection collection(&got);
  for (const std::string& name : top)
    collection.addPath((utf8(folder) + "\\" + name).c_str(), name.c_str());
  // A name again, and another spelling of one, are the same name.
  collection.addPath((utf8(folder) + "\\Case.txt").c_str(), "Case.txt");
  collection.addPath((utf8(folder) + "\\dir\\..\\Dir").c_str(), "Dir");
  collection.addPath((utf8(folder) + "\\.\\case.txt").c_str(), "case.txt");

  std::multiset<std::string> names;
  for (const ft::FileProxy* file : got) {
    names.insert(file->name.c_str());
    if (file->flags & ft::ShareEntry::Directory)
      continue;
    // The file offered under a name is the file of that name: each holds
    // its name, line after line.
    std::string contents = readFile(static_cast<const ft::FileProxyWin32File*>(file)->path());
    std::string expected;
    while (expected.size() < contents.size())
      expected += std::string(file->name.c_str()) + "\n";
    EXPECT_FALSE(contents.empty()) << file->name.c_str();
    EXPECT_EQ(expected, contents) << file->name.c_str();
  }
  EXPECT_EQ((std::multiset<std::string>{"case.txt", "Case.txt", "dir", "dir/a.txt", "dir/sub",
                                        "dir/sub/b.txt", "Dir", "Dir/a.txt", "Dir/sub",
                                        "Dir/sub/b.txt"}),
            names);
}

TEST_F(Collecting, AWalkWithoutIdsEndsWhereNoDeeperPathCouldOpen) {
  // A chain of folders "a" below "deep", its top named by a path made long
  // by levels that cancel out, so that the chain's paths reach the longest
  // the system opens while its folders stay few (under Wine the tree itself
  // must stay short: a path of a thousand levels takes the walk half a
  // minute).
  const int Reached = 150;
  std::wstring chain = wide(dir.file("deep"));
  ASSERT_TRUE(CreateDirectoryW(chain.c_str(), nullptr));
  for (int level = 0; level < Reached + 10; level++) {
    chain += L"\\a";
    ASSERT_TRUE(CreateDirectoryW(chain.c_str(), nullptr)) << level;
  }
  std::string top = dir.file("deep");
  const std::string there = "\\" + std::string(250, 'x') + "\\..";
  size_t length = wide(top).size();
  for (; (ft::LongestPath - length - there.size()) / 2 > Reached; length += there.size())
    top += there;
  for (; (ft::LongestPath - length) / 2 > Reached; length += 2)
    top += "\\.";

  // The volume gives no ids, and little stack is left. Both stay with a
  // walk that does not end.
  auto log = std::make_shared<RecordingLogger>();
  log->attach("CollectFiles:record:100");
  auto offered = std::make_shared<ft::ManagedVector<ft::FileProxy>>();
  ASSERT_TRUE(returnsWithin(60000, [log, offered, top] {
    withLittleStack([&] {
      ft::FileCollection collection(offered.get(),
                                    [](const wchar_t*) { return ft::FileIdentity(); });
      collection.addPath(top.c_str(), "deep");
    });
  })) << "the walk did not end";

  // Every folder whose path the system opens is offered, the last one not
  // entered.
  std::multiset<std::string> expected;
  std::string name = "deep";
  expected.insert(name);
  for (int level = 1; level <= Reached; level++)
    expected.insert(name += "/a");
  std::multiset<std::string> names;
  for (const ft::FileProxy* file : *offered)
    names.insert(file->name.c_str());
  EXPECT_EQ(expected, names);
  EXPECT_TRUE(log->has("CollectFiles: Offered but not entered, too deep for a path below it to "
                       "open: " + name));
}
