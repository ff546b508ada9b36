// A new master password: chosen before anything changes, and taken by
// every protected entry or by none.
#include "SampleBook.h"
#include "ledrow/app/MasterPasswordChange.h"
#include "ledrow/book/FolderScan.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "ledrow/data/ProtectedString.h"
#include "ledrow/data/tests/OptionsFixture.h"
#include "ledrow/data/tests/ProtectionHelpers.h"
#include "ledrow/data/tests/ScratchDir.h"
#include "ledrow/passwords/Parameters.h"
#include "ledrow/passwords/tests/FakePrompts.h"
#include "plat/TimerManager.h"
#include "rdr/MemOutStream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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
  // An entry signed as another program signs (the hash and the password,
  // with no salt and nothing more), whose options kept after Monitor fill
  // its file to size bytes.
  void writeSignedElsewhere(const char* name, const char* master, size_t size) {
    EncryptedConfig kept;
    kept.setHost("far.example");
    kept.setPassword("pw");
    auto text = [&] {
      const ZeroingBytes& password = kept.getPassword();
      std::string plain = std::string("Signature,Hash=") + kept.computeHash().c_str() +
                          "\nConnection,Password=" +
                          hexOf({password.data(), password.data() + password.length()});
      rdr::MemOutStream out;
      kept.write(out, false, false, nullptr);
      return std::string((const char*)out.data(), out.length()) +
             "[Signature]\nDotKivFileSignature=" + protectWithSalt(plain, master, {}, false) +
             "\n";
    };
    // "Kept000=" and 3991 characters a line, the last one cut to fit.
    const size_t line = 4000;
    size_t length = text().size();
    int count = 0;
    for (; length + line + 9 <= size; length += line)
      kept.setFromFile(keptName(count++).c_str(), std::string(line - 9, 'k').c_str(), "Options");
    kept.setFromFile(keptName(count).c_str(), std::string(size - length - 9, 'k').c_str(),
                     "Options");
    std::string file = text();
    ASSERT_EQ(size, file.size());
    FILE* f = openFile(entry(name).c_str(), "wb");
    fwrite(file.data(), 1, file.size(), f);
    fclose(f);
  }
  static std::string keptName(int n) {
    std::string digits = std::to_string(n);
    return "Kept" + std::string(3 - digits.size(), '0') + digits;
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

// An entry that holds both the older protection and a signature opens
// through the older one; it moves to the new master password signed like
// the others, its password nowhere in the open.
TEST_F(Change, AnEntryInBothFormsMovesSigned) {
  masterPassword.setParam(sample::verifier("old").c_str(), plat::PriorityUser);
  EncryptedConfig both;
  both.setHost("both.example");
  both.setPassword("pw");
  const ZeroingBytes& password = both.getPassword();
  std::string encrypted =
      encryptString(hexOf({password.data(), password.data() + password.length()}).c_str(), "old")
          .c_str();
  both.encrypt("old");
  rdr::MemOutStream out;
  both.write(out, true, false, nullptr);
  std::string text((const char*)out.data(), out.length());
  text.insert(text.find("[Signature]"), "EncryptedPassword=" + encrypted + "\n");
  FILE* f = openFile(entry("both").c_str(), "wb");
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);

  prompts.answers = {"old", "new"};
  ASSERT_TRUE(change());
  std::ifstream in(entry("both"), std::ios::binary);
  std::string moved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(std::string::npos, moved.find("\nPassword=")) << moved;
  EXPECT_EQ(std::string::npos, moved.find("EncryptedPassword")) << moved;
  EncryptedConfig reread;
  reread.loadFromFile(entry("both").c_str());
  ASSERT_TRUE(reread.decrypt("new"));
  EXPECT_STREQ("pw", deobfuscatePassword(reread.getPassword(), Latin1CodePage()).c_str());
}

// Every entry that could not move is named, with why, before the new
// password is asked for; once they are out of the way the change goes
// through, as often as it is made, kept options included.
TEST_F(Change, EntriesInTheWayAreNamedFirst) {
  masterPassword.setParam(sample::verifier("old").c_str(), plat::PriorityUser);
  EncryptedConfig fine;
  fine.setHost("fine.example");
  fine.setPassword("pw");
  fine.setFromFile("ViewerSecurityOption", "1", "Options");
  fine.encrypt("old");
  fine.saveToFile(entry("fine").c_str(), true, false, nullptr);
  writeSignedElsewhere("first", "old", 9000);
  writeSignedElsewhere("second", "old", 9000);

  prompts.answers = {"old", "new"};
  std::vector<std::string> named;
  std::string told;
  try {
    change();
    ADD_FAILURE() << "changed";
  } catch (const EntriesInTheWay& e) {
    named = e.entries;
    told = inTheWayText(e);
  }
  ASSERT_EQ(2u, named.size());
  const char why[] = ": the settings after Monitor are too long to sign: the signature would take ";
  EXPECT_EQ(0u, named[0].find(entry("first") + why)) << named[0];
  EXPECT_EQ(0u, named[1].find(entry("second") + why)) << named[1];
  EXPECT_NE(std::string::npos, told.find("\n" + named[0] + "\n" + named[1]));
  EXPECT_EQ(1u, prompts.calls.size()); // the new one never asked for
  for (const char* name : {"fine", "first", "second"})
    EXPECT_TRUE(opens(name, "old")) << name;
  EXPECT_EQ(3u, listDirectory(book.c_str()).size());

  std::filesystem::remove(entry("first"));
  std::filesystem::remove(entry("second"));
  const char* masters[] = {"old", "new", "newer"};
  for (int i = 1; i < 3; i++) {
    prompts.answers = {masters[i - 1], masters[i]};
    ASSERT_TRUE(change());
    EncryptedConfig moved;
    moved.loadFromFile(entry("fine").c_str());
    ASSERT_TRUE(moved.decrypt(masters[i]));
    EXPECT_EQ("1", moved.getExtraOptions().at("ViewerSecurityOption"));
  }
}

TEST(InTheWayText, LongListsEndInACount) {
  std::vector<std::string> refused;
  for (int i = 0; i < ShownEntries + 3; i++)
    refused.push_back("entry " + std::to_string(i) + ": why");
  std::string text = inTheWayText(EntriesInTheWay(refused));
  EXPECT_NE(std::string::npos, text.find("\nentry 7: why\n... and 3 more"));
  EXPECT_EQ(std::string::npos, text.find("entry 8"));
}

// One entry in the way is named as one, several as several.
TEST(InTheWayText, OneEntryOrSeveral) {
  EntriesInTheWay one({"a.kiv: why"});
  EXPECT_STREQ("An entry cannot be protected anew as it stands: a.kiv: why", one.str());
  std::string text = inTheWayText(one);
  EXPECT_EQ(0u, text.find("The master password was not changed: this entry cannot be protected "
                          "with a new one as it stands. Change it, or remove its password, and "
                          "try again.\n\na.kiv: why"))
      << text;

  EntriesInTheWay two({"a.kiv: why", "b.kiv: why not"});
  EXPECT_STREQ("2 entries cannot be protected anew as they stand, the first a.kiv: why",
               two.str());
  text = inTheWayText(two);
  EXPECT_EQ(0u, text.find("The master password was not changed: these entries cannot be "
                          "protected with a new one as they stand. Change them, or remove their "
                          "passwords, and try again.\n\na.kiv: why\nb.kiv: why not"))
      << text;
}
