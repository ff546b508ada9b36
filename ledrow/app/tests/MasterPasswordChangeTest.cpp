// A new master password: chosen before anything changes, and taken by
// every protected entry or by none.
#include "SampleBook.h"
#include "ledrow/app/MasterPasswordChange.h"
#include "ledrow/book/FolderScan.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/tests/OptionsFixture.h"
#include "ledrow/data/tests/ScratchDir.h"
#include "ledrow/passwords/Parameters.h"
#include "ledrow/passwords/tests/FakePrompts.h"
#include "plat/TimerManager.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace addrbook;

namespace {

struct Change : OptionsTest {
  ScratchDir dir;
  std::string book = dir.file("Book");
  plat::TimerManager timers; // the store's expiry timer
  FakePrompts prompts;
  FakeSettings settings;
  PasswordStore store{&prompts, &settings};

  Change() { makeDirectory(book.c_str()); }
  ~Change() override { masterPassword.removeValue(plat::PriorityUser); }
  std::string entry(const char* name) { return book + PathSeparator + name + ".kiv"; }
  bool change() {
    TreeBranch root(book.c_str(), nullptr);
    scanFolder(&root);
    std::vector<TreeLeaf*> leaves;
    root.collectEncryptedLeaves(&leaves);
    return changeMasterPassword(store, prompts, settings, leaves, nullptr);
  }
  bool opens(const char* name, const char* password) {
    EncryptedConfig c;
    c.loadFromFile(entry(name).c_str());
    return c.decrypt(password);
  }
};

} // namespace

TEST_F(Change, EveryEntryMovesOrNone) {
  masterPassword.setParam(sample::verifier("old").c_str(), plat::PriorityUser);
  for (const char* name : {"one", "two"})
    sample::writeEntry(entry(name), "host.example", "user", "pw", "old");
  sample::writeEntry(entry("foreign"), "host.example", "user", "pw", "elsewhere");
  std::string verifier = masterPassword.getValueStr().c_str();

  prompts.answers = {"old", ""}; // the new one not chosen
  EXPECT_FALSE(change());
  settings.fails = true; // the new verifier cannot be recorded
  prompts.answers = {"old", "new"};
  EXPECT_THROW(change(), plat::Exception);
  EXPECT_EQ(verifier, masterPassword.getValueStr().c_str());
  EXPECT_TRUE(opens("one", "old") && opens("two", "old"));
  EXPECT_EQ(3u, listDirectory(book.c_str()).size()); // no file left half made
  EXPECT_FALSE(store.hasPassword());
  settings.fails = false;
  std::string blocker = entry("two") + ".tmp"; // where its new text would go
  makeDirectory(blocker.c_str());
  prompts.answers = {"old", "new"};
  EXPECT_THROW(change(), plat::Exception);
  EXPECT_TRUE(opens("one", "old") && opens("two", "old"));
  EXPECT_EQ(verifier, masterPassword.getValueStr().c_str());
  std::filesystem::remove(blocker);

  prompts.answers = {"old", "new"};
  EXPECT_TRUE(change());
  EXPECT_TRUE(opens("one", "new") && opens("two", "new"));
  EXPECT_TRUE(opens("foreign", "elsewhere"));
  EXPECT_EQ(1u, settings.written.size());
  ZeroingBuffer held = store.getPassword(nullptr);
  EXPECT_STREQ("new", held.c_str());
  EXPECT_EQ(8u, prompts.calls.size()); // nothing asked after the change
}

// Entries signed before any master password existed open with the empty one.
TEST_F(Change, TheFirstMasterPasswordTakesEarlierEntries) {
  sample::writeEntry(entry("early"), "host.example", "user", "pw", "");
  prompts.answers = {"first"};
  EXPECT_TRUE(change());
  EXPECT_EQ(std::vector<std::string>{"choose"}, prompts.calls);
  EXPECT_TRUE(opens("early", "first"));
}
