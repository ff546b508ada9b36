// An address-book entry: the option set of a connection file plus what
// protects its password under the master password.
//
// - the read hash: SHA-1 over every pair read from the file, in file order
//   (the protection blobs excepted), as 40 lowercase hex digits;
// - the signature (new form): a protected string of
//     "Signature,Hash=<hash>\nConnection,Password=<obfuscated password hex>"
//   and, when this program signs, a line "Options,<name>=<value>" for
//   Monitor and each option kept after it (SignedTail.h), stored as
//   "DotKivFileSignature" in a last section "Signature", so that neither
//   the options nor the password can be changed without the master
//   password;
// - the encrypted password (old form): a protected string of the obfuscated
//   password's hex, stored as the last "Options" pair "EncryptedPassword".
//
// The hash joins names and values without separators, so it alone cannot
// tell "Host=server.exampl" and "eUserName=tester" from "Host=server.example"
// and "UserName=tester". A signed entry therefore opens only when its file
// is exactly the file the entry writes (the same pairs, in the same
// sections and order), its hashed text splits into its names in one way
// only, and no pair the entry lacks could be hiding in the value before
// it; only then does the hash say what the entry means. What it cannot
// say: where the value of Monitor, the last option, ends and the options
// kept after it (names this program does not know) begin, nor where one of
// those ends and the next begins. Their names are whatever a file held, so
// no split of that tail is ever the only one: a signature made here holds
// those pairs as they are, and one made before (or elsewhere) cannot tell.
#pragma once

#include "ledrow/crypto/Sha.h"
#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/NameSplit.h"
#include "ledrow/data/ZeroingBuffer.h"

#include <string>

namespace addrbook {

// What the address book says when the master password does not open an
// entry.
extern const char CorruptEntryText[];
// ... and when it opens the protection, but the entry is not what was
// protected: changed since, written by another program in a form whose
// signature cannot say what it covers, or a blob that is no entry's.
extern const char UnverifiedEntryText[];

class EncryptedConfig : public CConnOptions {
public:
  // Where the read hash stands. A parse that failed part-way leaves pairs
  // applied that the hash does not describe; an entry never read has no
  // hash to hold against a signature: either way the signature does not
  // open.
  enum HashState {
    NoHash,      // never read (built in memory, pair by pair without startPairs)
    HashValid,   // the last read completed, or the entry was signed here
    HashInvalid, // the last read failed
  };

  // Thrown by a save that would write a signature that no longer covers the
  // entry (it was changed while locked). Nothing is written: the caller gets
  // the master password, calls resign and saves again.
  struct MasterPasswordNeeded : plat::Exception {
    MasterPasswordNeeded();
  };

  // What opening the protection found.
  enum class Unlock {
    Opened,        // no protection, or opened: the password is back
    WrongPassword, // the password does not open it (or the blob is damaged)
    NotVerified,   // opened, but the entry is not what was protected
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
  // Throws MasterPasswordNeeded when needsSigning (before the base turns
  // every failure into its own).
  void saveToFile(const char* path, bool includePassword, bool optionsOnly,
                  Formatter* formatter) override;
  // Throws MasterPasswordNeeded when needsSigning: no file gets a password,
  // or a change, beside a signature that does not cover it.
  void writeBeside(SafeSaveFile& file, const char* path, bool includePassword, bool optionsOnly,
                   Formatter* formatter) override;
  // Keeps protection blobs; hashes and applies every other pair.
  void setFromFile(const char* name, const char* value, const char* section) override;
  // An entry built pair by pair rather than read from a file (an XML
  // import): startPairs, setFromFile for every pair, then finishPairs, and
  // its protection is checked against those pairs as read checks a file's.
  void startPairs();
  void finishPairs();

  // Signs the entry under the master password and drops the plain password
  // (it lives on inside the signature). Does nothing when already protected.
  // Throws plat::Exception, with the entry as it was, when no salt can be
  // had or for the signingRefusal. The entry must be saved for the file to
  // change.
  void encrypt(const char* masterPassword);
  // Why the entry, unprotected, could not be signed as it stands (it could
  // never be opened again): a value that holds the name of the setting
  // beside it, or one that reads as a user name or identity it lacks, each
  // named; or a signature too long for its line, naming what makes it so
  // (the password, the options from Monitor on, or the two together).
  // Empty when it can be signed.
  std::string signingRefusal();
  // Opens the protection: Opened when there is none or the password opens
  // it (the password is then back and the blobs gone: a signature beside
  // an encrypted password, which wins, was never checked and goes too);
  // otherwise the entry is left as it was. A signature is checked against
  // the entry as it was read; what was changed since stays as it is.
  Unlock unlock(const char* password);
  bool decrypt(const char* password) { return unlock(password) == Unlock::Opened; }
  // What the address book says for a refusal: CorruptEntryText or
  // UnverifiedEntryText.
  static const char* refusalText(Unlock refusal);
  // Whether a save must sign the entry anew first: it is signed and was
  // changed (options or password) since it was read.
  bool needsSigning();
  // Checks the signature against the entry as it was read and signs what
  // the entry holds now, with the password set since or else the signed
  // one. Opened when done or not needed; otherwise what unlock would say,
  // with the entry as it was. Throws as encrypt does, with the entry as it
  // was.
  Unlock resign(const char* masterPassword);
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
    bool clashes;
    NameSplit::Clash clash;
    std::string tail;
  };
  // Of what a save would write, password excluded.
  Digests writtenDigests();
  bool hashTellsPairs(const Digests& written, NameSplit::Clash* clash) const;
  bool hidesPair(NameSplit::Clash* clash) const;
  ZeroingBuffer signatureText(const Digests& digests) const;
  std::string refusal(const Digests& digests, const ZeroingBuffer& text) const;
  std::string tooLongToSign(const Digests& digests, size_t textLength) const;
  Unlock openEncryptedPassword(const char* password);
  Unlock openSignature(const char* password);

  crypto::Sha readHasher_;
  crypto::Sha layoutHasher_;
  plat::String readHash_;
  plat::String readLayout_;
  // The options from Monitor on as read (or signed here), as signature
  // lines (SignedTail.h).
  std::string readTail_;
  HashState hashState_;
  // The last read was of a signed file that is exactly what the entry
  // writes, and its hashed text can mean nothing else: the read hash says
  // what the entry means.
  bool readAsWritten_;
  bool userNameRead_;
  plat::String signature_;
  plat::String encryptedPassword_;
};

} // namespace addrbook
