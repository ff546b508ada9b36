#include "BookFiles.h"
#include "ledrow/book/FolderScan.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/book/XmlExport.h"
#include "rdr/MemOutStream.h"

#include <memory>

using namespace addrbook;

namespace {

const char prologue[] = "<?xml version=\"1.0\"?>\n"
                        "<!DOCTYPE ledrow [\n"
                        "<!ENTITY COMPANY \"Torvane Ltd.\">\n"
                        "<!ELEMENT ledrow (folder*,file*)>\n"
                        "<!ATTLIST ledrow password CDATA #IMPLIED>\n"
                        "<!ELEMENT folder (folder*,file*)>\n"
                        "<!ATTLIST folder name CDATA #REQUIRED>\n"
                        "<!ELEMENT file (section*)>\n"
                        "<!ATTLIST file name CDATA #REQUIRED>\n"
                        "<!ELEMENT section (param*)>\n"
                        "<!ATTLIST section name CDATA #REQUIRED>\n"
                        "<!ELEMENT param (#PCDATA)>\n"
                        "<!ATTLIST param name CDATA #REQUIRED>\n"
                        "<!ATTLIST param value CDATA #REQUIRED>\n"
                        "]>\n";

struct Export : OptionsTest {
  ScratchDir scratch;
  std::string top;
  std::string xmlPath;
  rdr::MemOutStream out;

  void SetUp() override {
    OptionsTest::SetUp();
    top = scratch.file("Book");
    makeDirectory(top.c_str());
    xmlPath = scratch.file("book.xml");
  }
  std::unique_ptr<TreeBranch> scanned() {
    auto root = std::make_unique<TreeBranch>(top.c_str(), nullptr);
    scanFolder(root.get());
    return root;
  }
  std::string exported(TreeNode* root, bool leaveRootOut, const char* password = nullptr) {
    writeXmlBook(out, root, leaveRootOut, xmlPath.c_str(), password);
    std::string text((const char*)out.data(), out.length());
    EXPECT_EQ(text, readText(xmlPath));
    return text;
  }
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(Export, EmptyFolderWithoutItsRoot) {
  auto root = scanned();
  EXPECT_EQ(std::string(prologue) + "<ledrow>\n</ledrow>\n", exported(root.get(), true));
  EXPECT_EQ(std::string(prologue) + "<ledrow>\n<folder name=\"Book\">\n</folder>\n</ledrow>\n",
            exported(root.get(), false));
  EXPECT_EQ(std::string(prologue) + "<ledrow password=\"00ffx11\">\n</ledrow>\n",
            exported(root.get(), true, "00ffx11"));
}

TEST_F(Export, EntriesCarryTheirFileSections) {
  std::string sub = makeFolder(top, "Sub");
  makeEntry(join(sub, "inner.kiv"), "inner.example");
  EncryptedConfig entry;
  entry.setHost("srv");
  entry.setPassword("pw");
  entry.saveToFile(join(top, "srv.kiv").c_str(), true, false, nullptr);
  auto root = scanned();
  std::string xml = exported(root.get(), true);

  const std::string body = "<ledrow>\n"
                           "<folder name=\"Sub\">\n"
                           "<file name=\"inner\">\n"
                           "<section name=\"Connection\">\n"
                           "<param name=\"Host\" value=\"inner.example\" />\n"
                           "<param name=\"UserName\" value=\"tester\" />\n"
                           "<param name=\"Encryption\" value=\"Server\" />\n";
  EXPECT_EQ(std::string(prologue) + body, xml.substr(0, sizeof(prologue) - 1 + body.size()));
  EXPECT_TRUE(contains(xml, "<param name=\"Monitor\" value=\"\" />\n</section>\n</file>\n"
                            "</folder>\n<file name=\"srv\">\n"));
  // Passwords go along.
  plat::String hex = plat::String::adopt(
      plat::binToHex({entry.getPassword().length(), entry.getPassword().data()}));
  EXPECT_TRUE(contains(xml, std::string("<param name=\"Password\" value=\"") + hex.c_str() +
                                "\" />\n"));
  EXPECT_TRUE(contains(xml, "</section>\n</file>\n</ledrow>\n"));
}

TEST_F(Export, SignedEntryExportsItsSignature) {
  EncryptedConfig entry;
  entry.setHost("srv");
  entry.setPassword("pw");
  entry.encrypt("master");
  entry.saveToFile(join(top, "srv.kiv").c_str(), true, false, nullptr);
  auto root = scanned();
  std::string xml = exported(root.get(), true);
  EXPECT_FALSE(contains(xml, "\"Password\""));
  EXPECT_TRUE(contains(xml, std::string("</section>\n<section name=\"Signature\">\n"
                                        "<param name=\"DotKivFileSignature\" value=\"") +
                                entry.getSignature() + "\" />\n</section>\n</file>\n"));
}

// Names and values are text, whatever characters they hold.
TEST_F(Export, SpecialCharactersAreEscaped) {
  // Names that no file system here would take come from memory.
  TreeBranch root((top + PathSeparator + "A<B>\"C'D&E").c_str(), nullptr);
  auto leaf = std::make_unique<TreeLeaf>(join(top, "x&y.kiv").c_str(), &root);
  leaf->config().setHost("h&<>\"'");
  leaf->config().setFromFile("Q\"uote", "'&'", "Options");
  root.add(std::move(leaf));
  std::string xml = exported(&root, false);
  EXPECT_TRUE(contains(xml, "<folder name=\"A&lt;B&gt;&quot;C&apos;D&amp;E\">\n"));
  EXPECT_TRUE(contains(xml, "<file name=\"x&amp;y\">\n"));
  EXPECT_TRUE(contains(xml, "<param name=\"Host\" value=\"h&amp;&lt;&gt;&quot;&apos;\" />\n"));
  EXPECT_TRUE(contains(xml, "<param name=\"Q&quot;uote\" value=\"&apos;&amp;&apos;\" />\n"));
}

TEST_F(Export, FailedWriteKeepsTheOldFile) {
  auto root = scanned();
  writeText(xmlPath, "old export");
  makeDirectory((xmlPath + ".tmp").c_str()); // in the way
  EXPECT_THROW(writeXmlBook(out, root.get(), true, xmlPath.c_str(), nullptr), plat::Exception);
  EXPECT_EQ("old export", readText(xmlPath));
  std::string missing = join(scratch.missingDir(), "book.xml");
  EXPECT_THROW(writeXmlBook(out, root.get(), true, missing.c_str(), nullptr),
               plat::SystemException);
}
