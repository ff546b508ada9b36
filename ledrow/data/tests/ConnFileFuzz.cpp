// Connection files come from disk, from XML imports and from the viewer's
// "Save Connection". Whatever the bytes, reading an entry either fails with
// an exception or gives options that either are refused by the writer (a
// line grown past the limit, such as a host with its port merged in) or
// write out as a file which reads back to the same options (the same text
// again), protection included.
//
// Signed entries too: the input signed as it was read (its pairs are what
// the signature's hash covers, as for a file edited by hand) opens only if
// it then means what it says: saved while locked, it reads back to the
// same entry and still opens. And the input signed by the address book
// opens after every save, unless signing refused it.
#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/data/ProtectedString.h"
#include "rdr/MemInStream.h"
#include "rdr/MemOutStream.h"

#include <cstdlib>
#include <cstring>
#include <string>

using namespace addrbook;

namespace {

const char Master[] = "master";

// Any salt will do here, and the system's generator costs a file open.
void fixedSalt(uint8_t* salt, int length) { memset(salt, 0x5a, length); }

std::string writeOut(CConnOptions& o) {
  rdr::MemOutStream out;
  o.write(out, true, false, nullptr);
  return std::string((const char*)out.data(), out.length());
}

void readIn(CConnOptions& o, const std::string& text) {
  rdr::MemInStream in(text.data(), (int)text.size());
  o.read(in);
}

// The entry opened with the master password, written out; empty when it
// does not open. The entry is opened in place: callers are done with it
// locked, and a copy per check cost more than the check.
std::string opened(EncryptedConfig& entry) {
  return entry.decrypt(Master) ? writeOut(entry) : std::string();
}

// An entry that is locked and unchanged saves as the same text, which
// reads back to the same entry: so any number of saves keep its signature
// and what it opens to.
void savesKeep(const std::string& file, const std::string& meaning) {
  EncryptedConfig locked;
  readIn(locked, file); // a written file always reads
  if (locked.needsSigning() || writeOut(locked) != file || opened(locked) != meaning)
    abort();
}

void checkSignedAsRead(const std::string& input, const EncryptedConfig& entry) {
  std::string text =
      std::string("Signature,Hash=") + entry.getReadHash() + "\nConnection,Password=";
  plat::String signature = encryptString(text.c_str(), Master);
  EncryptedConfig locked;
  readIn(locked, input + "\n[Signature]\nDotKivFileSignature=" + signature.c_str() + "\n");
  std::string file = writeOut(locked);
  std::string meaning = opened(locked);
  if (!meaning.empty())
    savesKeep(file, meaning);
}

// meaning: the unprotected entry written out.
void checkSignedByProgram(EncryptedConfig& entry, const std::string& meaning) {
  std::string file;
  try {
    entry.encrypt(Master); // refuses an entry that could not be opened again
    file = writeOut(entry);
  } catch (const plat::Exception&) {
    return;
  }
  if (opened(entry) != meaning)
    abort();
  savesKeep(file, meaning);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  setSaltSource(fixedSalt);
  if (size > 65536)
    return 0;
  const std::string input((const char*)data, size);
  EncryptedConfig entry;
  try {
    readIn(entry, input);
  } catch (const plat::Exception&) {
    return 0;
  }
  std::string text;
  try {
    text = writeOut(entry);
  } catch (const plat::Exception&) {
    // Only the merged host can outgrow what was read.
    if (strlen(entry.getHost()) + strlen("Host=") <= CConnOptions::MaxLineLength)
      abort();
    return 0;
  }

  EncryptedConfig second;
  readIn(second, text); // a written file always reads
  if (writeOut(second) != text || !second.equals(entry))
    abort();

  // A password file gives a locked entry a password of its own, which a
  // save counts as a change; protected input is not signed again.
  if (entry.isProtected() || entry.passwordFile.getValueStr().length() > 0)
    return 0;
  checkSignedAsRead(input, entry);
  checkSignedByProgram(entry, text);
  return 0;
}
