#include "ledrow/book/XmlImporter.h"
#include "ledrow/book/SafeName.h"
#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/LineRules.h"
#include "ledrow/xml/Parser.h"
#include "plat/Assert.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"

#include <string>

namespace addrbook {

static plat::LogWriter vlog("XmlImporter");

namespace {

// The tries for a free name: "name.kiv", then "name (1).kiv" and on.
enum { MaxNameSuffix = 999 };

class Import {
public:
  Import(const char* importPassword, const char* masterPassword)
      : importPassword_(importPassword), masterPassword_(masterPassword), failures_(0) {}

  void children(const xml::ElementPtr& element, const std::string& folder);
  // Throws the report of what could not be created, if anything.
  void reportFailures() const;

private:
  void folder(const xml::ElementPtr& element, const std::string& path);
  void file(const xml::ElementPtr& element, const std::string& path);
  void saveUnderFreeName(EncryptedConfig& entry, const std::string& base);
  void failed(const std::string& path, const char* reason);

  const char* importPassword_;
  const char* masterPassword_;
  int failures_;
  std::string firstFailure_;
};

// The path of a child called name: by construction one component below
// folder.
std::string childPath(const std::string& folder, const std::string& name) {
  PLAT_ASSERT(name.find_first_of("/\\") == std::string::npos && name != "." && name != "..");
  return folder + PathSeparator + name;
}

// A pair as it will be written: a value with a line break or a zero byte,
// or a name the reader would take for a section, a comment or a split,
// would turn into something else when the file is read back.
const xml::Attribute* pairAttribute(const xml::ElementPtr& param, const char* name) {
  const xml::Attribute* a = xml::findAttribute(param, name);
  if (!a || a->value.find('\0') != std::string::npos)
    throw plat::Exception("bad Name/Value pair");
  return a;
}

// The reader refuses a file whose host is not UTF-8: such an entry would be
// written and then never open.
bool isUtf8(const char* text) {
  plat::String copy(text);
  try {
    return plat::checkUtf8(copy.buf());
  } catch (const plat::Exception&) {
    return false;
  }
}

void fill(EncryptedConfig& entry, const xml::ElementPtr& file) {
  xml::ElementPtr section;
  for (int i = 0; !xml::isNull(section = xml::childNamed(file, "section", i)); i++) {
    const char* sectionName = xml::attribute(section, "name");
    if (!sectionName || (plat::strCaseCmp(sectionName, "Connection") != 0 &&
                         plat::strCaseCmp(sectionName, "Options") != 0 &&
                         plat::strCaseCmp(sectionName, "Signature") != 0))
      throw plat::Exception("bad Section type");
    xml::ElementPtr param;
    for (int j = 0; !xml::isNull(param = xml::childNamed(section, "param", j)); j++) {
      const char* name = pairAttribute(param, "name")->value.c_str();
      const char* value = pairAttribute(param, "value")->value.c_str();
      if (!isPairText(name, value))
        throw plat::Exception("bad Name/Value pair");
      if (plat::strCaseCmp(name, "Host") == 0) {
        if (!isUtf8(value))
          throw plat::Exception("Invalid UTF-8 encoding for Host");
        entry.setHost(value);
      }
      entry.setFromFile(name, value, sectionName);
    }
  }
}

void Import::children(const xml::ElementPtr& element, const std::string& path) {
  xml::ElementPtr child;
  for (int i = 0; !xml::isNull(child = xml::childAt(element, i)); i++) {
    const char* name = xml::attribute(child, "name");
    if (!name)
      throw plat::ExceptionFmt("%s: missing \"name\" attribute", xml::tagName(child));
    std::string target = childPath(path, safeFileName(name));
    if (plat::strCaseCmp(xml::tagName(child), "folder") == 0)
      folder(child, target);
    else if (plat::strCaseCmp(xml::tagName(child), "file") == 0)
      file(child, target);
  }
}

void Import::folder(const xml::ElementPtr& element, const std::string& path) {
  try {
    makeDirectory(path.c_str());
  } catch (const plat::Exception& e) {
    failed(path, e.str());
    return;
  }
  children(element, path);
}

void Import::file(const xml::ElementPtr& element, const std::string& path) {
  EncryptedConfig entry;
  fill(entry, element);
  if (entry.isProtected()) {
    if (importPassword_ && masterPassword_ && entry.decrypt(importPassword_))
      entry.encrypt(masterPassword_);
    else
      entry.clearPassword();
  }
  saveUnderFreeName(entry, path);
}

void Import::saveUnderFreeName(EncryptedConfig& entry, const std::string& base) {
  for (int i = 0; i <= MaxNameSuffix; i++) {
    plat::DString name;
    name.append(base.c_str());
    if (i)
      name.appendf(" (%d)", i);
    name.append(".kiv");
    try {
      if (fileExists(name.c_str()))
        continue;
      entry.setFilePath(name.c_str());
      entry.save();
    } catch (const plat::Exception& e) {
      failed(name.c_str(), e.str());
    }
    return;
  }
  failed(base + ".kiv", "every free name is taken");
}

void Import::failed(const std::string& path, const char* reason) {
  vlog.error("%s: %s", path.c_str(), reason);
  if (failures_++ == 0)
    firstFailure_ = path + ": " + reason;
}

void Import::reportFailures() const {
  if (failures_ == 1)
    throw plat::ExceptionFmt("Unable to import %s", firstFailure_.c_str());
  if (failures_ > 1)
    throw plat::ExceptionFmt("Unable to import %d entries or folders, the first %s", failures_,
                             firstFailure_.c_str());
}

} // namespace

bool XmlImporter::importFile(Callback* callback, const char* xmlPath, const char* targetFolder) {
  xml::ParseResult result;
  xml::ElementPtr root = xml::parseFile(xmlPath, "ledrow", &result);
  if (result.code == xml::FileNotFound)
    throw plat::Exception("Address book file not found.");
  if (result.code != xml::NoError)
    throw plat::ExceptionFmt("XML error %i:%i %s", result.line, result.column,
                             xml::errorText(result.code));

  ZeroingBuffer importPassword, masterPassword;
  const char* verifier = xml::attribute(root, "password");
  if (verifier && callback) {
    importPassword = callback->getImportPassword(verifier);
    if (!importPassword.c_str())
      return false;
    masterPassword = callback->getMasterPassword();
    if (!masterPassword.c_str())
      return false;
  }

  Import import(importPassword.c_str(), masterPassword.c_str());
  import.children(root, targetFolder);
  import.reportFailures();
  return true;
}

} // namespace addrbook
