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
//
// The hash joins names and values without separators, so it alone cannot
// tell "Host=server.exampl" and "eUserName=tester" from "Host=server.example"
// and "UserName=tester". A signed entry therefore opens only when its file
// is exactly the file the entry writes (the same pairs, in the same
// sections and order) and no pair the entry lacks could be hiding in the
// value before it; only then does the hash say what the entry means.
#pragma once

#include "ledrow/crypto/Sha.h"
#include "ledrow/data/ConnOptions.h"

namespace addrbook {

// What the address book says when the master password does not open an
// entry.
extern const char CorruptEntryText[];

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

  // Thrown by a save that would write a signature that no longer covers the
  // entry (it was changed while locked). Nothing is written: the caller gets
  // the master password, calls resign and saves again.
  struct MasterPasswordNeeded : plat::Exception {
    MasterPasswordNeeded();
  };

  EncryptedConfig();
  // As CConnOptions, then the signature, encrypted password and read hash.
  EncryptedConfig& operator=(const EncryptedConfig& other);
  ~EncryptedConfig() override;

  // A signed file that gives no user name holds an empty one: the signer
  // writes every user name but an empty one.
  void read(rdr::InStream& in) override;
  // Adds the encrypted password (old form, which wins) or the signature.
  void write(rdr::OutStream& out, bool includePassword, bool optionsOnly,
             Formatter* formatter) override;
  // Throws MasterPasswordNeeded when needsSigning.
  void saveToFile(const char* path, bool includePassword, bool optionsOnly,
                  Formatter* formatter) override;
  // Keeps protection blobs; hashes and applies every other pair.
  void setFromFile(const char* name, const char* value, const char* section) override;

  // Signs the entry under the master password and drops the plain password
  // (it lives on inside the signature). Does nothing when already protected.
  // Throws plat::Exception, with the entry as it was, when no salt can be
  // had or when the entry's host or user name holds text that would read
  // as a user name or identity it lacks (it could never be opened). The
  // entry must be saved for the file to change.
  void encrypt(const char* masterPassword);
  // Opens the protection: true when there is none or the password opens it
  // (the password is then back and the blob gone); false for a wrong
  // password, a damaged blob or an entry changed since it was signed, with
  // the entry left as it was.
  bool decrypt(const char* password);
  // Whether a save must sign the entry anew first: it is signed and was
  // changed (options or password) since it was read.
  bool needsSigning();
  // Checks the signature against the entry as it was read and signs what
  // the entry holds now, with the password set since or else the signed
  // one. False, with the entry as it was, when decrypt would be false.
  // Throws as encrypt does, with the entry as it was.
  bool resign(const char* masterPassword);
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
  struct Digests {
    plat::String hash;
    plat::String layout;
  };
  // Of what a save would write, password excluded.
  Digests writtenDigests();
  bool mayHidePair() const;
  bool openEncryptedPassword(const char* password);
  bool openSignature(const char* password);

  crypto::Sha readHasher_;
  crypto::Sha layoutHasher_;
  plat::String readHash_;
  plat::String readLayout_;
  HashState hashState_;
  // The last read was of a signed file that is exactly what the entry
  // writes, and nothing in it could hide another pair: the read hash says
  // what the entry means.
  bool readAsWritten_;
  bool userNameRead_;
  plat::String signature_;
  plat::String encryptedPassword_;
};

} // namespace addrbook
