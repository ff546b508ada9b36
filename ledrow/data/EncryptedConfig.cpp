#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/data/Formatters.h"
#include "ledrow/data/HashingFormatter.h"
#include "ledrow/data/ProtectedString.h"
#include "ledrow/data/SignedTail.h"
#include "plat/WipedString.h"
#include "rdr/MemOutStream.h"

#include <cstdio>
#include <cstring>

namespace addrbook {

const char CorruptEntryText[] = "That address book entry appears to be corrupt.";
const char UnverifiedEntryText[] = "That address book entry could not be verified: it was "
                                   "changed after it was protected, or another program "
                                   "protected it.";

namespace {

const char HashLinePrefix[] = "Signature,Hash=";
const char PasswordLinePrefix[] = "Connection,Password=";

// One "section,name=value" line of an opened signature, split in place.
struct SignatureLine {
  const char* section = nullptr;
  const char* name = nullptr;
  const char* value = nullptr;
};

bool splitLine(char* line, SignatureLine* out) {
  char* comma = strchr(line, ',');
  if (!comma)
    return false;
  char* eq = strchr(comma + 1, '=');
  if (!eq)
    return false;
  *comma = 0;
  *eq = 0;
  out->section = line;
  out->name = comma + 1;
  out->value = eq + 1;
  return true;
}

// Whether text holds "UserName" with something after it: a host that a
// user name was joined to.
bool holdsUserName(const char* text) {
  const char* at = strstr(text, "UserName");
  return at && at[8];
}

// Whether text ends in "Identity" and the lowercase hex of at least one
// byte: a host or user name that an identity was joined to.
bool endsInIdentity(const char* text) {
  const char* last = nullptr;
  for (const char* at = text; (at = strstr(at, "Identity")) != nullptr; at++)
    last = at;
  if (!last)
    return false;
  const char* hex = last + 8;
  size_t length = strlen(hex);
  return length >= 2 && length % 2 == 0 && strspn(hex, "0123456789abcdef") == length;
}

// The plain text of a protection blob. The master-password verifier is the
// password protected under itself: a blob that opens to the password is
// the verifier (or made like it), never an entry's, and opened as one it
// would hand the master password to the viewer.
EncryptedConfig::Unlock openBlob(const char* blob, const char* password, ZeroingBuffer* plain) {
  *plain = decryptString(blob, password);
  if (!plain->c_str())
    return EncryptedConfig::Unlock::WrongPassword;
  if (strcmp(plain->c_str(), password) == 0)
    return EncryptedConfig::Unlock::NotVerified;
  return EncryptedConfig::Unlock::Opened;
}

// The length of the signature's line in the file for a plain text of
// plainLength bytes.
size_t signatureLine(size_t plainLength) {
  return strlen(SignaturePair) + 1 + protectedLength(plainLength);
}

} // namespace

EncryptedConfig::MasterPasswordNeeded::MasterPasswordNeeded()
    : plat::Exception(
          "The master password is needed to save the changes to this protected entry.") {}

EncryptedConfig::EncryptedConfig()
    : readHasher_(160), layoutHasher_(160), hashState_(NoHash), readAsWritten_(false),
      userNameRead_(false) {}

EncryptedConfig::~EncryptedConfig() {}

EncryptedConfig& EncryptedConfig::operator=(const EncryptedConfig& other) {
  if (this == &other)
    return *this;
  CConnOptions::operator=(other);
  signature_ = other.signature_;
  encryptedPassword_ = other.encryptedPassword_;
  readHash_ = other.readHash_;
  readLayout_ = other.readLayout_;
  readTail_ = other.readTail_;
  hashState_ = other.hashState_;
  readAsWritten_ = other.readAsWritten_;
  userNameRead_ = other.userNameRead_;
  return *this;
}

void EncryptedConfig::read(rdr::InStream& in) {
  startPairs();
  CConnOptions::read(in);
  finishPairs();
}

void EncryptedConfig::startPairs() {
  readHasher_.reset();
  layoutHasher_.reset();
  readTail_.clear();
  hashState_ = HashInvalid;
  readAsWritten_ = false;
  userNameRead_ = false;
}

void EncryptedConfig::finishPairs() {
  readHash_ = digestHex(readHasher_);
  readLayout_ = digestHex(layoutHasher_);
  hashState_ = HashValid;
  if (!hasSignature())
    return;
  if (!userNameRead_)
    userName.setParam("", plat::PriorityUser);
  Digests written = writtenDigests();
  readAsWritten_ = strcmp(written.layout.c_str(), readLayout_.c_str()) == 0 &&
                   hashTellsPairs(written, nullptr);
  // As read when the layout is: what the entry writes is what it read.
  readTail_ = std::move(written.tail);
}

void EncryptedConfig::setFromFile(const char* name, const char* value, const char* section) {
  if (strcmp(name, "EncryptedPassword") == 0 && strcmp(section, "Options") == 0 &&
      isEncryptedForm(value)) {
    encryptedPassword_ = value;
    return;
  }
  if (isSignaturePair(section, name) && isEncryptedForm(value)) {
    signature_ = value;
    return;
  }
  // By name rather than through get(), which the base does again for every
  // pair: UserName has no alias.
  if (plat::strCaseCmp(name, userName.getName()) == 0)
    userNameRead_ = true;
  hashPair(readHasher_, name, value);
  hashLayout(layoutHasher_, section, name, value);
  CConnOptions::setFromFile(name, value, section);
}

void EncryptedConfig::write(rdr::OutStream& out, bool includePassword, bool optionsOnly,
                            Formatter* formatter) {
  Formatter* inner = formatter ? formatter : &DefaultFormatter::instance;
  if (hasEncryptedPassword()) {
    EncryptedPasswordAppender appender(inner, encryptedPassword_.c_str());
    CConnOptions::write(out, includePassword, optionsOnly, &appender);
  } else if (hasSignature()) {
    SignatureAppender appender(inner, signature_.c_str());
    CConnOptions::write(out, includePassword, optionsOnly, &appender);
  } else {
    CConnOptions::write(out, includePassword, optionsOnly, formatter);
  }
}

void EncryptedConfig::saveToFile(const char* path, bool includePassword, bool optionsOnly,
                                 Formatter* formatter) {
  if (needsSigning())
    throw MasterPasswordNeeded();
  CConnOptions::saveToFile(path, includePassword, optionsOnly, formatter);
}

void EncryptedConfig::writeBeside(SafeSaveFile& file, const char* path, bool includePassword,
                                  bool optionsOnly, Formatter* formatter) {
  if (needsSigning())
    throw MasterPasswordNeeded();
  CConnOptions::writeBeside(file, path, includePassword, optionsOnly, formatter);
}

EncryptedConfig::Digests EncryptedConfig::writtenDigests() {
  HashingFormatter hasher;
  TailRecorder tail(&hasher, monitor.getName());
  rdr::MemOutStream discard(1); // the hasher writes nothing
  write(discard, false, false, &tail);
  Digests digests;
  digests.hash = hasher.digestHex();
  digests.layout = hasher.layoutHex();
  digests.clashes = hasher.firstClash(&digests.clash);
  digests.tail = tail.lines();
  return digests;
}

plat::String EncryptedConfig::computeHash() { return writtenDigests().hash; }

// Whether the hash of the pairs written says which value each had: the
// hashed text splits into their names one way only and hides none that the
// entry lacks. If not, *clash (when given) names the pair in the way.
bool EncryptedConfig::hashTellsPairs(const Digests& written, NameSplit::Clash* clash) const {
  if (!written.clashes)
    return !hidesPair(clash);
  if (clash)
    *clash = written.clash;
  return false;
}

// The writer leaves out a user name or an identity that is empty. With no
// separators in the hash, text that ends up in the value before the gap
// hashes just as the missing pair would: the entry cannot say which of the
// two was signed.
bool EncryptedConfig::hidesPair(NameSplit::Clash* clash) const {
  const char* host = host_.isNull() ? "" : host_.c_str();
  plat::String user = userName.getValueStr();
  NameSplit::Clash found;
  if (user.length() == 0 && holdsUserName(host))
    found = {"Host", userName.getName()};
  else if (identity_.empty() && endsInIdentity(host))
    found = {"Host", "Identity"};
  else if (identity_.empty() && endsInIdentity(user.c_str()))
    found = {userName.getName(), "Identity"};
  else
    return false;
  if (clash)
    *clash = std::move(found);
  return true;
}

// The hash line, the password line, then the options from Monitor on.
ZeroingBuffer EncryptedConfig::signatureText(const Digests& digests) const {
  plat::String passwordHex =
      plat::String::adopt(plat::binToHex({password_.length(), password_.data()}));
  int capacity = (int)(sizeof(HashLinePrefix) + digests.hash.length() + 1 +
                       sizeof(PasswordLinePrefix) + passwordHex.length() + digests.tail.size());
  ZeroingBuffer text(capacity);
  snprintf(text.buf(), capacity, "%s%s\n%s%s%s", HashLinePrefix, digests.hash.c_str(),
           PasswordLinePrefix, passwordHex.c_str(), digests.tail.c_str());
  plat::secureZero(passwordHex.buf(), passwordHex.length());
  return text;
}

// Why a signature over the entry would never open: a value hides where a
// pair begins, or the signature outgrows its pair's line (it doubles its
// text as hex, so a long password or a long run of options from Monitor on
// does that).
std::string EncryptedConfig::refusal(const Digests& digests, const ZeroingBuffer& text) const {
  NameSplit::Clash clash;
  if (!hashTellsPairs(digests, &clash))
    return "the value of " + clash.holder + " holds the name of the setting " + clash.name +
           ", and a signature could not tell the two apart";
  size_t length = strlen(text.c_str());
  size_t line = signatureLine(length);
  if (line > (size_t)MaxLineLength)
    return tooLongToSign(digests, length) + ": the signature would take " +
           std::to_string(line) + " characters, and a line of the file holds at most " +
           std::to_string((int)MaxLineLength);
  return std::string();
}

// The text is the hash line, the password line and the options from
// Monitor on: the part that alone makes it too long is named, each when
// both do, or else the two together.
std::string EncryptedConfig::tooLongToSign(const Digests& digests, size_t textLength) const {
  size_t passwordHex = 2 * (size_t)password_.length();
  size_t rest = textLength - passwordHex - digests.tail.size();
  size_t emptyTail = digests.tail.find('=') + 1; // Monitor empty, nothing kept after it
  bool passwordFits = signatureLine(rest + passwordHex + emptyTail) <= (size_t)MaxLineLength;
  bool tailFits = signatureLine(rest + digests.tail.size()) <= (size_t)MaxLineLength;
  std::string monitorName = monitor.getName();
  bool several = !extraOptions_.empty();
  std::string tail = monitorName;
  if (several)
    tail = monitor.getValueStr().length() == 0 ? "the settings after " + monitorName
                                               : monitorName + " and the settings after it";
  if (passwordFits && tailFits)
    return "the password, with " + tail + ", is too long to sign";
  if (tailFits)
    return "the password is too long to sign";
  if (passwordFits)
    return tail + (several ? " are" : " is") + " too long to sign";
  return "the password is too long to sign, and so " + std::string(several ? "are " : "is ") + tail;
}

std::string EncryptedConfig::signingRefusal() {
  Digests digests = writtenDigests();
  return refusal(digests, signatureText(digests));
}

// Everything that can fail comes before the entry changes: a signature that
// cannot be made leaves the entry as it was, password included.
void EncryptedConfig::encrypt(const char* masterPassword) {
  if (isProtected())
    return;
  Digests digests = writtenDigests();
  ZeroingBuffer text = signatureText(digests);
  std::string refused = refusal(digests, text);
  if (!refused.empty())
    throw plat::ExceptionFmt("Cannot protect this entry: %s", refused.c_str());
  plat::String signature = encryptString(text.c_str(), masterPassword);

  password_.clear();
  readHash_ = std::move(digests.hash);
  readLayout_ = std::move(digests.layout);
  readTail_ = std::move(digests.tail);
  hashState_ = HashValid;
  readAsWritten_ = true;
  signature_ = std::move(signature);
}

bool EncryptedConfig::needsSigning() {
  if (!hasSignature() || hasEncryptedPassword())
    return false;
  // A signed entry holds no password of its own: one set since is a change.
  if (!password_.empty() || hashState_ != HashValid)
    return true;
  return strcmp(writtenDigests().layout.c_str(), readLayout_.c_str()) != 0;
}

EncryptedConfig::Unlock EncryptedConfig::resign(const char* masterPassword) {
  if (!needsSigning())
    return Unlock::Opened;
  ZeroingBytes changedPassword = password_;
  plat::String signature = signature_;
  Unlock opened = openSignature(masterPassword);
  if (opened != Unlock::Opened)
    return opened;
  if (!changedPassword.empty())
    password_ = changedPassword;
  try {
    encrypt(masterPassword);
  } catch (const plat::Exception&) {
    password_ = std::move(changedPassword);
    signature_ = std::move(signature);
    throw;
  }
  return Unlock::Opened;
}

EncryptedConfig::Unlock EncryptedConfig::unlock(const char* password) {
  if (hasEncryptedPassword())
    return openEncryptedPassword(password);
  if (hasSignature())
    return openSignature(password);
  return Unlock::Opened;
}

const char* EncryptedConfig::refusalText(Unlock refusal) {
  return refusal == Unlock::NotVerified ? UnverifiedEntryText : CorruptEntryText;
}

EncryptedConfig::Unlock EncryptedConfig::openEncryptedPassword(const char* password) {
  ZeroingBuffer hex;
  Unlock opened = openBlob(encryptedPassword_.c_str(), password, &hex);
  if (opened != Unlock::Opened)
    return opened;
  int length = plat::strLen(hex.c_str());
  ZeroingBytes bytes;
  uint8_t* out = bytes.allocate(length / 2);
  // Authentic but not hexadecimal: nothing sensible can be made of it.
  if (length % 2 != 0 || (length && !plat::hexToBin(hex.c_str(), length, out)))
    return Unlock::NotVerified;
  password_ = std::move(bytes);
  encryptedPassword_ = plat::String();
  // The older form wins, so a signature beside it was never checked: kept,
  // it would stand over a password now in the open, and the entry could
  // never be protected again.
  signature_ = plat::String();
  return Unlock::Opened;
}

EncryptedConfig::Unlock EncryptedConfig::openSignature(const char* password) {
  ZeroingBuffer text;
  Unlock opened = openBlob(signature_.c_str(), password, &text);
  if (opened != Unlock::Opened)
    return opened;
  // The options from Monitor on as the signature holds them, when it does:
  // they must be those the file held, and then say nothing more. Cut off
  // before the lines are split in place, so that an entry changed since it
  // was read keeps the change.
  size_t tail = findTail(text.c_str(), readTail_);
  bool tailHeld = tail == std::string::npos || readTail_ == text.c_str() + tail;
  if (tail != std::string::npos)
    text.buf()[tail] = 0;
  char* next = text.buf();
  char* line = plat::nextToken(&next, '\n');
  SignatureLine hash;
  if (!line || !splitLine(line, &hash) || strcmp(hash.section, "Signature") != 0 ||
      strcmp(hash.name, "Hash") != 0)
    return Unlock::NotVerified;
  if (hashState_ != HashValid || strcmp(hash.value, readHash_.c_str()) != 0 || !readAsWritten_ ||
      !tailHeld)
    return Unlock::NotVerified;
  while ((line = plat::nextToken(&next, '\n')) != nullptr) {
    SignatureLine pair;
    if (splitLine(line, &pair))
      setFromFile(pair.name, pair.value, pair.section);
  }
  signature_ = plat::String();
  return Unlock::Opened;
}

void EncryptedConfig::clearPassword() {
  password_.clear();
  signature_ = plat::String();
  encryptedPassword_ = plat::String();
}

} // namespace addrbook
