#include "ledrow/book/XmlImporter.h"
#include "ledrow/book/FreeName.h"
#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/LineRules.h"
#include "ledrow/xml/Parser.h"
#include "plat/Assert.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"
#include "plat/SafeFileName.h"

#include <memory>
#include <string>
#include <vector>

namespace addrbook {

static plat::LogWriter vlog("XmlImporter");

namespace {

// The tries for a free name: "name.kiv", then "name (1).kiv" and on.
// The import as the parser reports the book: folders and entries are
// written as their elements come, and nothing of the book is kept but the
// entry being read, so the memory it takes does not grow with the book.
class Import : public xml::Handler {
public:
  // writing false: only the checks, nothing made or saved.
  Import(const char* importPassword, const char* masterPassword, const std::string& target,
         bool writing)
      : importPassword_(importPassword), masterPassword_(masterPassword), target_(target),
        writing_(writing), failures_(0) {
    // The parser nests no deeper, so entries of open_ never move.
    open_.reserve(xml::MaxNesting);
  }

  void startElement(const std::shared_ptr<xml::Element>& element) override;
  void endElement(const std::shared_ptr<xml::Element>& element) override;
  // Throws the report of what could not be created, if anything.
  void reportFailures() const;

private:
  // What an open element is to the import. Only the children of the root
  // and of folders, the sections of entries and the pairs of sections mean
  // something; anything else is passed over with all it holds.
  enum Kind { Folder, Entry, Section, Ignored };
  struct Open {
    Kind kind;
    std::string path; // a folder's, or an entry's before its free name is found
  };

  void startChild(const xml::ElementPtr& element, const std::string& folder);
  void finishEntry(const std::string& path);
  void saveUnderFreeName(EncryptedConfig& entry, const std::string& base);
  void failed(const std::string& path, const char* reason);

  const char* importPassword_;
  const char* masterPassword_;
  std::string target_;
  bool writing_;
  std::vector<Open> open_;
  std::unique_ptr<EncryptedConfig> entry_; // the entry being read
  std::string section_;                    // its section being read
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

// A param element as a pair of the entry; refused when the file would not
// read it back as the same pair.
void addPair(EncryptedConfig& entry, const xml::ElementPtr& param, const char* section) {
  const char* name = pairAttribute(param, "name")->value.c_str();
  const char* value = pairAttribute(param, "value")->value.c_str();
  if (!isPairText(name, value))
    throw plat::Exception("bad Name/Value pair");
  if (plat::strCaseCmp(name, "Host") == 0) {
    // The reader would refuse the file: it would be written and never open.
    if (!hostReadsBack(value))
      throw plat::Exception("Invalid UTF-8 encoding for Host");
    entry.setHost(value);
  }
  entry.setFromFile(name, value, section);
}

bool isSectionName(const char* name) {
  return name && (plat::strCaseCmp(name, "Connection") == 0 ||
                  plat::strCaseCmp(name, "Options") == 0 ||
                  plat::strCaseCmp(name, "Signature") == 0);
}

bool hasTag(const xml::ElementPtr& element, const char* tag) {
  return plat::strCaseCmp(xml::tagName(element), tag) == 0;
}

void Import::startElement(const std::shared_ptr<xml::Element>& element) {
  if (open_.empty()) {
    open_.push_back(Open{Folder, target_}); // the root
    return;
  }
  Open& parent = open_.back();
  switch (parent.kind) {
  case Folder:
    startChild(element, parent.path);
    return;
  case Entry:
    if (hasTag(element, "section")) {
      const char* name = xml::attribute(element, "name");
      if (!isSectionName(name))
        throw plat::Exception("bad Section type");
      section_ = name;
      open_.push_back(Open{Section, std::string()});
      return;
    }
    break;
  case Section:
    if (hasTag(element, "param"))
      addPair(*entry_, element, section_.c_str());
    break;
  case Ignored:
    break;
  }
  open_.push_back(Open{Ignored, std::string()});
}

void Import::startChild(const xml::ElementPtr& element, const std::string& folder) {
  const char* name = xml::attribute(element, "name");
  if (!name)
    throw plat::ExceptionFmt("%s: missing \"name\" attribute", xml::tagName(element));
  std::string path = childPath(folder, plat::safeFileName(name));
  if (hasTag(element, "folder")) {
    try {
      if (writing_)
        makeDirectory(path.c_str());
    } catch (const plat::Exception& e) {
      // Nothing inside can be created either.
      failed(path, e.str());
      open_.push_back(Open{Ignored, std::string()});
      return;
    }
    open_.push_back(Open{Folder, path});
  } else if (hasTag(element, "file")) {
    entry_ = std::make_unique<EncryptedConfig>();
    entry_->startPairs();
    open_.push_back(Open{Entry, path});
  } else {
    open_.push_back(Open{Ignored, std::string()});
  }
}

void Import::endElement(const std::shared_ptr<xml::Element>&) {
  Open closed = std::move(open_.back());
  open_.pop_back();
  if (closed.kind == Entry)
    finishEntry(closed.path);
}

// A protected entry is signed anew only when its protection shows that it
// is what was protected, as a file's would have to; one that opens but
// shows otherwise is not written at all, so that neither its password nor
// its changed settings arrive under a new signature.
void Import::finishEntry(const std::string& path) {
  std::unique_ptr<EncryptedConfig> entry = std::move(entry_);
  entry->finishPairs();
  if (!writing_)
    return;
  if (entry->isProtected()) {
    EncryptedConfig::Unlock opened = importPassword_ && masterPassword_
                                         ? entry->unlock(importPassword_)
                                         : EncryptedConfig::Unlock::WrongPassword;
    if (opened == EncryptedConfig::Unlock::NotVerified) {
      failed(path + ".kiv", UnverifiedEntryText);
      return;
    }
    if (opened == EncryptedConfig::Unlock::Opened) {
      try {
        entry->encrypt(masterPassword_);
      } catch (const plat::Exception& e) {
        failed(path + ".kiv", e.str()); // neither written bare nor lost unsaid
        return;
      }
    } else {
      entry->clearPassword();
    }
  }
  saveUnderFreeName(*entry, path);
}

void Import::saveUnderFreeName(EncryptedConfig& entry, const std::string& base) {
  std::string path = base + ".kiv";
  try {
    path = freeEntryPath(base);
    if (path.empty()) {
      failed(base + ".kiv", "every free name is taken");
      return;
    }
    entry.setFilePath(path.c_str());
    entry.save();
  } catch (const plat::Exception& e) {
    failed(path, e.str());
  }
}

// Keeps the root element (its attributes, not what it holds).
struct RootElement : xml::Handler {
  void startElement(const std::shared_ptr<xml::Element>& started) override {
    if (!element)
      element = started;
  }
  xml::ElementPtr element;
};

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
  // The book is checked whole before anything is written, its XML and then
  // what the import makes of it, and read once more to import it: a book
  // that is damaged anywhere leaves nothing behind.
  xml::ParseResult result;
  std::vector<char> book;
  RootElement root;
  if (xml::readFile(xmlPath, &book, &result))
    xml::parseEvents(book.data(), book.size(), "ledrow", &root, &result);
  if (result.code == xml::FileNotFound)
    throw plat::Exception("Address book file not found.");
  if (result.code != xml::NoError)
    throw plat::ExceptionFmt("XML error %i:%i %s", result.line, result.column,
                             xml::errorText(result.code));

  Import check(nullptr, nullptr, targetFolder, false);
  xml::parseEvents(book.data(), book.size(), "ledrow", &check, &result);

  ZeroingBuffer importPassword, masterPassword;
  const char* verifier = xml::attribute(root.element, "password");
  if (verifier && callback) {
    importPassword = callback->getImportPassword(verifier);
    if (!importPassword.c_str())
      return false;
    masterPassword = callback->getMasterPassword();
    if (!masterPassword.c_str())
      return false;
  }

  Import import(importPassword.c_str(), masterPassword.c_str(), targetFolder, true);
  xml::parseEvents(book.data(), book.size(), "ledrow", &import, &result);
  import.reportFailures();
  return true;
}

} // namespace addrbook
