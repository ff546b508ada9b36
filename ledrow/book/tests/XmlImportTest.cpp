#include "BookFiles.h"
#include "ledrow/book/FolderScan.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/book/XmlExport.h"
#include "ledrow/book/XmlImporter.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "ledrow/data/ProtectedString.h"
#include "ledrow/data/tests/RandomOptions.h"
#include "ledrow/xml/ParseResult.h"
#include "rdr/MemOutStream.h"

#include <memory>

using namespace addrbook;

namespace {

typedef std::vector<std::string> Names;

struct Passwords : XmlImporter::Callback {
  const char* import = nullptr; // null: the prompt is cancelled
  const char* master = nullptr;
  std::vector<std::string> asked;
  static ZeroingBuffer copy(const char* text) {
    return text ? ZeroingBuffer::copyOf(text, (int)strlen(text)) : ZeroingBuffer();
  }
  ZeroingBuffer getMasterPassword() override {
    asked.push_back("master");
    return copy(master);
  }
  // Only a password that opens the verifier gets past the prompt.
  ZeroingBuffer getImportPassword(const char* verifier) override {
    asked.push_back("import");
    if (!import || !decryptString(verifier, import).c_str())
      return ZeroingBuffer();
    return copy(import);
  }
};

struct Import : OptionsTest {
  ScratchDir scratch;
  std::string source, target, xmlPath;
  rdr::MemOutStream out;
  Passwords passwords;

  void SetUp() override {
    OptionsTest::SetUp();
    source = scratch.file("Source");
    target = scratch.file("Target");
    makeDirectory(source.c_str());
    makeDirectory(target.c_str());
    xmlPath = scratch.file("book.xml");
  }
  std::unique_ptr<TreeBranch> scan(const std::string& folder) {
    auto root = std::make_unique<TreeBranch>(folder.c_str(), nullptr);
    scanFolder(root.get());
    return root;
  }
  void exportSource(const char* verifier = nullptr) {
    auto root = scan(source);
    writeXmlBook(out, root.get(), true, xmlPath.c_str(), verifier);
  }
  bool importBook() { return XmlImporter::importFile(&passwords, xmlPath.c_str(), target.c_str()); }
  // A book of the given body.
  void writeBook(const std::string& body, const char* root = "ledrow") {
    writeText(xmlPath, std::string("<?xml version=\"1.0\"?>\n<") + root + ">\n" + body + "</" +
                           root + ">\n");
  }
  std::string importError() {
    try {
      importBook();
    } catch (const plat::Exception& e) {
      return e.str();
    }
    return "(no error)";
  }
  std::unique_ptr<EncryptedConfig> loaded(const std::string& path) {
    auto entry = std::make_unique<EncryptedConfig>();
    entry->loadFromFile(path.c_str());
    return entry;
  }
};

std::string passwordOf(const CConnOptions& c) {
  return deobfuscatePassword(c.getPassword(), Latin1CodePage()).c_str();
}

void expectSameTree(const TreeBranch& a, const TreeBranch& b) {
  ASSERT_EQ(a.children().size(), b.children().size()) << a.getPath();
  auto j = b.children().begin();
  for (TreeNode* x : a.children()) {
    TreeNode* y = *j++;
    EXPECT_STREQ(x->getName(), y->getName());
    ASSERT_EQ(x->isBranch(), y->isBranch());
    if (x->isBranch()) {
      expectSameTree(*static_cast<TreeBranch*>(x), *static_cast<TreeBranch*>(y));
      continue;
    }
    const EncryptedConfig& p = static_cast<TreeLeaf*>(x)->config();
    const EncryptedConfig& q = static_cast<TreeLeaf*>(y)->config();
    EXPECT_TRUE(p.equals(q) && q.equals(p)) << x->getPath();
    EXPECT_STREQ(p.getHost(), q.getHost());
    EXPECT_TRUE(p.getPassword().equals(q.getPassword().data(), q.getPassword().length()));
    EXPECT_EQ(p.getIdentity(), q.getIdentity());
    EXPECT_EQ(p.getExtraOptions(), q.getExtraOptions());
  }
}

} // namespace

TEST_F(Import, ExportedTreesImportAsTheyWere) {
  std::mt19937 rng(99);
  const char* names[] = {"R&D's", "caf\xc3\xa9 \xe2\x82\xac", "semi;colon", "eq=sign",
                         "(1) [2] {3}", "plain", ".dot", "x"};
  for (int round = 0; round < 4; round++) {
    SCOPED_TRACE(round);
    std::vector<std::string> folders = {source};
    for (int i = 0; i < 12; i++) {
      std::string folder = folders[rng() % folders.size()];
      std::string name = std::string(names[rng() % 8]) + std::to_string(i);
      if (rng() % 3 == 0) {
        folders.push_back(makeFolder(folder, name));
      } else {
        EncryptedConfig entry;
        randomise(entry, rng);
        entry.saveToFile(join(folder, name + ".kiv").c_str(), true, false, nullptr);
      }
    }
    exportSource();
    ASSERT_TRUE(importBook());
    expectSameTree(*scan(source), *scan(target));
    EXPECT_TRUE(passwords.asked.empty());

    std::string next = scratch.file("Target" + std::to_string(round));
    makeDirectory(next.c_str());
    target = next;
    std::string again = scratch.file("Source" + std::to_string(round));
    makeDirectory(again.c_str());
    source = again;
  }
}

TEST_F(Import, ProtectedEntriesMoveToTheMasterPassword) {
  EncryptedConfig signedEntry;
  signedEntry.setHost("signed");
  signedEntry.setPassword("first");
  signedEntry.encrypt("old");
  signedEntry.saveToFile(join(source, "signed.kiv").c_str(), true, false, nullptr);
  // The old form: only the password encrypted.
  ZeroingBytes obfuscated;
  obfuscatePassword(&obfuscated, "second");
  plat::String hex = plat::String::adopt(plat::binToHex({obfuscated.length(), obfuscated.data()}));
  writeText(join(source, "oldform.kiv"),
            "[Connection]\nHost=oldform\n[Options]\nEncryptedPassword=" +
                std::string(encryptString(hex.c_str(), "old").c_str()) + "\n");
  exportSource(encryptString("old", "old").c_str());

  passwords.import = "old";
  passwords.master = "new";
  ASSERT_TRUE(importBook());
  EXPECT_EQ((Names{"import", "master"}), passwords.asked);
  for (const char* name : {"signed", "oldform"}) {
    auto entry = loaded(join(target, std::string(name) + ".kiv"));
    EXPECT_TRUE(entry->hasSignature()) << name;
    EXPECT_FALSE(entry->hasEncryptedPassword());
    EXPECT_TRUE(entry->getPassword().empty());
    EXPECT_FALSE(entry->decrypt("old"));
    ASSERT_TRUE(entry->decrypt("new")) << name;
    EXPECT_EQ(std::string(name) == "signed" ? "first" : "second", passwordOf(*entry));
    EXPECT_STREQ(name, entry->getHost());
  }
}

// The signature in a book covers its entry's pairs as a file's does: an
// entry changed in the book is neither signed anew under the master
// password (with the stored password, for the new settings) nor written.
TEST_F(Import, ChangedSignedEntryIsRefused) {
  EncryptedConfig entry;
  entry.setHost("srv.example");
  entry.setPassword("pw");
  entry.encrypt("old");
  entry.saveToFile(join(source, "srv.kiv").c_str(), true, false, nullptr);
  makeEntry(join(source, "other.kiv"), "other.example");
  exportSource(encryptString("old", "old").c_str());
  const std::string book = readText(xmlPath);
  const std::string host = "value=\"srv.example\"";
  ASSERT_NE(std::string::npos, book.find(host));
  writeText(xmlPath,
            std::string(book).replace(book.find(host), host.size(), "value=\"attacker.example\""));

  passwords.import = "old";
  passwords.master = "new";
  EXPECT_EQ("Unable to import " + join(target, "srv") + ".kiv: " + UnverifiedEntryText,
            importError());
  EXPECT_EQ(Names{"other.kiv"}, namesIn(target));

  writeText(xmlPath, book);
  ASSERT_TRUE(importBook());
  auto imported = loaded(join(target, "srv.kiv"));
  ASSERT_TRUE(imported->decrypt("new"));
  EXPECT_EQ("pw", passwordOf(*imported));
  EXPECT_STREQ("srv.example", imported->getHost());
}

// The options after Monitor are held pair by pair in a signature made
// now: an entry whose book folds one into Monitor's value is refused, and
// one taken as it was opens after any number of exports and imports.
TEST_F(Import, FoldsAfterMonitorAreRefused) {
  EncryptedConfig entry;
  entry.setHost("srv.example");
  entry.setPassword("pw");
  entry.setFromFile("ViewerSecurityOption", "1", "Options");
  entry.encrypt("old");
  entry.saveToFile(join(source, "srv.kiv").c_str(), true, false, nullptr);
  exportSource(encryptString("old", "old").c_str());
  const std::string book = readText(xmlPath);
  const std::string pairs = "<param name=\"Monitor\" value=\"\" />\n"
                            "<param name=\"ViewerSecurityOption\" value=\"1\" />\n";
  ASSERT_NE(std::string::npos, book.find(pairs)) << book;
  writeText(xmlPath, std::string(book).replace(book.find(pairs), pairs.size(),
                                               "<param name=\"Monitor\" "
                                               "value=\"ViewerSecurityOption1\" />\n"));
  passwords.import = "old";
  passwords.master = "new";
  EXPECT_EQ("Unable to import " + join(target, "srv") + ".kiv: " + UnverifiedEntryText,
            importError());

  writeText(xmlPath, book);
  const char* masters[] = {"old", "new", "newer"};
  for (int round = 1; round < 3; round++) {
    passwords.import = masters[round - 1];
    passwords.master = masters[round];
    ASSERT_TRUE(importBook());
    auto imported = loaded(join(target, "srv.kiv"));
    ASSERT_TRUE(imported->decrypt(masters[round])) << round;
    EXPECT_EQ("pw", passwordOf(*imported));
    EXPECT_EQ("1", imported->getExtraOptions().at("ViewerSecurityOption"));
    source = target;
    target = scratch.file("Round" + std::to_string(round));
    makeDirectory(target.c_str());
    exportSource(encryptString(masters[round], masters[round]).c_str());
  }
}

TEST_F(Import, PasswordPromptsAndMissingPasswords) {
  EncryptedConfig entry;
  entry.setHost("srv");
  entry.setPassword("pw");
  entry.encrypt("old");
  entry.saveToFile(join(source, "srv.kiv").c_str(), true, false, nullptr);

  // A wrong import password does not get past the prompt: nothing is
  // written.
  exportSource(encryptString("old", "old").c_str());
  passwords.import = "wrong";
  passwords.master = "new";
  EXPECT_FALSE(importBook());
  EXPECT_EQ(Names{"import"}, passwords.asked);
  EXPECT_TRUE(namesIn(target).empty());
  // No master password: the same.
  passwords.import = "old";
  passwords.master = nullptr;
  EXPECT_FALSE(importBook());
  EXPECT_TRUE(namesIn(target).empty());

  // A book without a password asks for nothing; its protected entries come
  // without a password.
  exportSource();
  passwords.asked.clear();
  ASSERT_TRUE(importBook());
  EXPECT_TRUE(passwords.asked.empty());
  auto imported = loaded(join(target, "srv.kiv"));
  EXPECT_FALSE(imported->isProtected());
  EXPECT_TRUE(imported->getPassword().empty());
  EXPECT_STREQ("srv", imported->getHost());
  // Without a callback a protected book is read the same way.
  exportSource(encryptString("old", "old").c_str());
  EXPECT_TRUE(XmlImporter::importFile(nullptr, xmlPath.c_str(), target.c_str()));
  EXPECT_FALSE(loaded(join(target, "srv (1).kiv"))->isProtected());
}

TEST_F(Import, TakenNamesGetANumber) {
  makeEntry(join(source, "srv.kiv"), "srv");
  exportSource();
  ASSERT_TRUE(importBook());
  ASSERT_TRUE(importBook());
  ASSERT_TRUE(importBook());
  EXPECT_EQ((Names{"srv (1).kiv", "srv (2).kiv", "srv.kiv"}), namesIn(target));
}

TEST_F(Import, NamesCannotLeaveTheTarget) {
  std::string body;
  const char* folderNames[] = {"..", ".", "../..", "..\\..", "a/b", "a\\b", "CON", "nul.txt",
                               "x.", "x ", "", "C:evil", "&#46;&#46;", "CONIN$"};
  for (const char* name : folderNames)
    body += std::string("<folder name=\"") + name + "\"><file name=\"in\"></file></folder>\n";
  for (const char* name : {"..", "../../evil", "..\\evil", "LPT1", "e.", "conout$"})
    body += std::string("<file name=\"") + name + "\"></file>\n";
  writeBook(body);
  ASSERT_TRUE(importBook());
  // Nothing beside the target...
  EXPECT_EQ((Names{"Source/", "Target/", "book.xml"}), namesIn(scratch.file("")));
  // ...and inside it one component a name.
  EXPECT_EQ((Names{"--.kiv", "--/", "-/", "..---/", "..-..-evil.kiv", "..-evil.kiv", "C-evil/",
                   "CON-/", "CONIN$-/", "LPT1-.kiv", "a-b/", "conout$-.kiv", "e-.kiv",
                   "nul-.txt/", "x-/"}),
            namesIn(target));
  // Names that came out the same share the folder; their entries are kept
  // apart by number.
  for (const char* shared : {"-", "--", "..---"})
    EXPECT_EQ((Names{"in (1).kiv", "in.kiv"}), namesIn(join(target, shared))) << shared;
}

TEST_F(Import, EntriesThatCannotBeCreatedAreReported) {
  writeText(join(target, "blocked"), "a file where a folder should go");
  for (int i = 0; i <= 999; i++)
    writeText(join(target, i ? "full (" + std::to_string(i) + ").kiv" : "full.kiv"), "");
  writeBook("<folder name=\"blocked\"><file name=\"lost\"/></folder>\n"
            "<file name=\"full\"/>\n"
            "<file name=\"fine\"/>\n");
  std::string error = importError();
  EXPECT_EQ(0u, error.find("Unable to import 2 entries or folders, the first ")) << error;
  EXPECT_NE(std::string::npos, error.find("blocked: mkDir(")) << error;
  // The rest was imported.
  EXPECT_EQ("", readText(join(target, "full (999).kiv")));
  EXPECT_NE("(missing)", readText(join(target, "fine.kiv")));

  writeBook("<file name=\"full\"/>\n");
  EXPECT_EQ("Unable to import " + join(target, "full") + ".kiv: every free name is taken",
            importError());
}

TEST_F(Import, FormatErrors) {
  writeBook("<file name=\"a\"><section name=\"Extra\"/></file>\n");
  EXPECT_EQ("bad Section type", importError());
  writeBook("<file name=\"a\"><section/></file>\n");
  EXPECT_EQ("bad Section type", importError());
  writeBook("<file name=\"a\"><section name=\"options\"><param name=\"x\"/></section></file>\n");
  EXPECT_EQ("bad Name/Value pair", importError());
  writeBook("<folder><file name=\"a\"/></folder>\n");
  EXPECT_EQ("folder: missing \"name\" attribute", importError());
  writeBook("<other/>\n");
  EXPECT_EQ("other: missing \"name\" attribute", importError());

  writeBook("", "book");
  std::string error = importError();
  EXPECT_EQ(0u, error.find("XML error ")) << error;
  EXPECT_NE(std::string::npos, error.find("first tag not found")) << error;
  writeText(xmlPath, "<ledrow><file name=\"a\"></ledrow>");
  EXPECT_EQ("XML error 1:24 unmatched end tag", importError());
  xmlPath = scratch.file("missing.xml");
  EXPECT_EQ("Address book file not found.", importError());
}

// Pairs that would read back as something else once in a file are refused.
TEST_F(Import, PairsThatWouldNotReadBack) {
  const char* pairs[] = {
      "name=\"Extra\" value=\"one&#10;FullScreen=1\"", "name=\"Extra\" value=\"cr&#13;\"",
      "name=\"a=b\" value=\"v\"",                      "name=\"[Connection]\" value=\"v\"",
      "name=\";c\" value=\"v\"",                       "name=\"n&#xA;l\" value=\"v\"",
  };
  for (const char* pair : pairs) {
    writeBook(std::string("<file name=\"p\"><section name=\"Options\"><param ") + pair +
              "/></section></file>\n");
    EXPECT_EQ("bad Name/Value pair", importError()) << pair;
  }
  // A host the reader would refuse.
  writeBook("<file name=\"p\"><section name=\"Connection\"><param name=\"Host\" "
            "value=\"\xff\xfe\"/></section></file>\n");
  EXPECT_EQ("Invalid UTF-8 encoding for Host", importError());
  // A raw zero byte in a value.
  writeBook(std::string("<file name=\"p\"><section name=\"Options\"><param name=\"Extra\" "
                        "value=\"a\0b\"/></section></file>\n",
                        90));
  EXPECT_EQ("bad Name/Value pair", importError());
  EXPECT_TRUE(namesIn(target).empty());
}

TEST_F(Import, ReferencesAndHost) {
  writeBook("<file name=\"a:b\"><section name=\"CONNECTION\">"
            "<param name=\"host\" value=\"h&#x41;&amp;\"/>"
            "<param name=\"Password\" value=\"00\"/></section>"
            "<section name=\"Options\"><param name=\"Odd\" value=\"&#x20AC;&lt;\"/>"
            "<param name=\"fullscreen\" value=\"1\"/></section></file>\n");
  ASSERT_TRUE(importBook());
  auto entry = loaded(join(target, "a-b.kiv"));
  EXPECT_STREQ("hA&", entry->getHost());
  EXPECT_TRUE(entry->fullScreen);
  EXPECT_EQ("\xe2\x82\xac<", entry->getExtraOptions().at("Odd"));
  // Section names are passed on as written: "CONNECTION" is not
  // "Connection", so the password pair is dropped.
  EXPECT_TRUE(entry->getPassword().empty());
}

// A book damaged anywhere is refused before anything is written, however
// much of it is good.
TEST_F(Import, DamagedOrHostileBooksWriteNothing) {
  const std::string good = "<file name=\"kept\"/>\n<folder name=\"made\"><file name=\"a\"/></folder>\n";
  const std::string prologue = "<?xml version=\"1.0\"?>\n<ledrow>\n";
  std::string deep;
  for (int i = 0; i < 100000; i++)
    deep += "<folder name=\"d\">";
  const std::string books[] = {
      prologue + good,                                               // truncated
      prologue + good + "<file name=\"b\"><section/></file></ledrow>", // format error
      prologue + good + deep,
      "<!DOCTYPE ledrow [<!ENTITY x \"xxxxxxxx\">]>\n<ledrow>" + good +
          "<file name=\"&x;&x;\"/></ledrow>",
      prologue + good + "<file name=\"c\"/>" + std::string(xml::MaxDataSize, ' ') + "</ledrow>",
  };
  for (const std::string& book : books) {
    writeText(xmlPath, book);
    std::string error = importError();
    EXPECT_NE("(no error)", error) << book.substr(0, 120);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Names{}, namesIn(target)) << error;
  }
}
