// Protected strings arrive in connection files, XML imports and the
// MasterPassword setting. Whatever the text, decoding neither crashes nor
// opens anything that does not have the protected form, and the entry
// check built on it refuses what it cannot authenticate, the verifier of a
// password included.
#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/data/ProtectedString.h"

#include <cstdlib>
#include <cstring>
#include <string>

using namespace addrbook;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192)
    return 0;
  std::string text((const char*)data, size);
  const char* c = text.c_str(); // up to the first zero byte, as stored texts are

  ZeroingBuffer plain = decryptString(c, "pass phrase");
  if (plain.c_str() && !isEncryptedForm(c))
    abort();

  EncryptedConfig entry;
  entry.setFromFile("DotKivFileSignature", c, "Signature");
  if (entry.hasSignature() != isEncryptedForm(c))
    abort();
  bool opened = entry.decrypt("pass phrase");
  if (opened != (!entry.hasSignature()))
    abort();
  if (opened && isEncryptedForm(c) && !plain.c_str())
    abort();

  if (strlen(c) <= 64) {
    plat::String sealed = encryptString(c, c);
    ZeroingBuffer back = decryptString(sealed.c_str(), c);
    if (!back.c_str() || strcmp(back.c_str(), c) != 0)
      abort();
    // That is the master-password verifier's form: it opens as no entry's
    // password.
    EncryptedConfig verifier;
    verifier.setFromFile("EncryptedPassword", sealed.c_str(), "Options");
    if (verifier.decrypt(c))
      abort();
  }
  return 0;
}
