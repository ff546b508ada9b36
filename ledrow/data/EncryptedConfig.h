// An address-book entry: the option set of a connection file plus what
// protects its password under the master password.
//
// - the read hash: SHA-1 over every pair read from the file, in file order
//   (the protection blobs excepted), as 40 lowercase hex digits;
// - the signature (new form): a protected string of
//     "Signature,Hash=<hash>\nConnection,Password=<obfuscated password hex>"
//   stored as "DotKivFileSignature" in a last section "Signature", so that
//   neither the options nor the password can be changed without the master
//   password;
// - the encrypted password (old form): a protected string of the obfuscated
//   password's hex, stored as the last "Options" pair "EncryptedPassword".
#pragma once

#include "ledrow/crypto/Sha.h"
#include "ledrow/data/ConnOptions.h"

namespace addrbook {

class EncryptedConfig : public CConnOptions {
public:
  // Where the read hash stands. A parse that failed part-way leaves pairs
  // applied that the hash does not describe, so the signature check must
  // fail rather than be skipped.
  enum HashState {
    NoHash,      // never read from a file (built in memory, imported)
    HashValid,   // the last read completed
    HashInvalid, // the last read failed
  };

  EncryptedConfig();
  // As CConnOptions, then the signature, encrypted password and read hash.
  EncryptedConfig& operator=(const EncryptedConfig& other);
  ~EncryptedConfig() override;

  void read(rdr::InStream& in) override;
  // Adds the encrypted password (old form, which wins) or the signature.
  void write(rdr::OutStream& out, bool includePassword, bool optionsOnly,
             Formatter* formatter) override;
  // Keeps protection blobs; hashes and applies every other pair.
  void setFromFile(const char* name, const char* value, const char* section) override;

  // Signs the entry under the master password and drops the plain password
  // (it lives on inside the signature). Does nothing when already protected.
  // The entry must be saved for the file to change.
  void encrypt(const char* masterPassword);
  // Opens the protection: true when there is none or the password opens it
  // (the password is then back and the blob gone); false for a wrong
  // password, a damaged blob or an entry changed since it was signed, with
  // the entry left as it was.
  bool decrypt(const char* password);
  // The hash of what a save would write, password excluded.
  plat::String computeHash();
  // Drops the password and both blobs.
  void clearPassword();

  bool hasSignature() const { return !signature_.isNull(); }
  bool hasEncryptedPassword() const { return !encryptedPassword_.isNull(); }
  bool isProtected() const { return hasSignature() || hasEncryptedPassword(); }
  const char* getSignature() const { return signature_.c_str(); }
  const char* getEncryptedPassword() const { return encryptedPassword_.c_str(); }
  const char* getReadHash() const { return readHash_.c_str(); }
  HashState getHashState() const { return hashState_; }

private:
  bool openEncryptedPassword(const char* password);
  bool openSignature(const char* password);

  crypto::Sha readHasher_;
  plat::String readHash_;
  HashState hashState_;
  plat::String signature_;
  plat::String encryptedPassword_;
};

} // namespace addrbook
