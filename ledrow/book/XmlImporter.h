// Import of an XML book (as XmlExport writes it) into a folder of the
// address book: folder elements become folders, file elements connection
// files. Protected entries move from the book's import password to the
// current master password, or lose their password when either is missing.
#pragma once

#include "ledrow/data/ZeroingBuffer.h"

namespace addrbook {

class XmlImporter {
public:
  // The prompts of the address book.
  class Callback {
  public:
    virtual ~Callback() {}
    // The master password, or a null buffer when there is none.
    virtual ZeroingBuffer getMasterPassword() = 0;
    // Asks for the book's import password and checks it against verifier
    // (the book's "password" attribute); a null buffer when cancelled.
    virtual ZeroingBuffer getImportPassword(const char* verifier) = 0;
  };

  // False when the user cancelled a password prompt (nothing is written
  // then). Throws plat::Exception "Address book file not found.", "XML
  // error <line>:<column> <text>", or a format error ("bad Section type",
  // "bad Name/Value pair" also for a pair that would not read back from a
  // file, "Invalid UTF-8 encoding for Host", "<tag>: missing "name"
  // attribute"). Either kind of error is found before anything is
  // written: a book with one writes nothing. Entries and folders that could
  // not be created (or protected anew) do not stop the rest; they are
  // reported afterwards, in a plat::Exception naming how many there were
  // and the first.
  static bool importFile(Callback* callback, const char* xmlPath, const char* targetFolder);
};

} // namespace addrbook
