#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/data/Formatters.h"
#include "ledrow/data/HashingFormatter.h"
#include "ledrow/data/ProtectedString.h"
#include "plat/WipedString.h"
#include "rdr/MemOutStream.h"

#include <cstdio>
#include <cstring>

namespace addrbook {

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

} // namespace

EncryptedConfig::EncryptedConfig() : readHasher_(160), hashState_(NoHash) {}

EncryptedConfig::~EncryptedConfig() {}

EncryptedConfig& EncryptedConfig::operator=(const EncryptedConfig& other) {
  if (this == &other)
    return *this;
  CConnOptions::operator=(other);
  signature_ = other.signature_;
  encryptedPassword_ = other.encryptedPassword_;
  readHash_ = other.readHash_;
  hashState_ = other.hashState_;
  return *this;
}

void EncryptedConfig::read(rdr::InStream& in) {
  readHasher_.reset();
  hashState_ = HashInvalid;
  CConnOptions::read(in);
  readHash_ = digestHex(readHasher_);
  hashState_ = HashValid;
}

void EncryptedConfig::setFromFile(const char* name, const char* value, const char* section) {
  if (strcmp(name, "EncryptedPassword") == 0 && strcmp(section, "Options") == 0 &&
      isEncryptedForm(value)) {
    encryptedPassword_ = value;
    return;
  }
  if (strcmp(name, "DotKivFileSignature") == 0 && strcmp(section, "Signature") == 0 &&
      isEncryptedForm(value)) {
    signature_ = value;
    return;
  }
  hashPair(readHasher_, name, value);
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

plat::String EncryptedConfig::computeHash() {
  HashingFormatter hasher;
  rdr::MemOutStream discard(1024);
  write(discard, false, false, &hasher);
  return hasher.digestHex();
}

void EncryptedConfig::encrypt(const char* masterPassword) {
  if (isProtected())
    return;
  plat::String passwordHex =
      plat::String::adopt(plat::binToHex({password_.length(), password_.data()}));
  password_.clear();
  readHash_ = computeHash();
  hashState_ = HashValid;

  int capacity = (int)(sizeof(HashLinePrefix) + readHash_.length() + 1 +
                       sizeof(PasswordLinePrefix) + passwordHex.length());
  ZeroingBuffer text(capacity);
  snprintf(text.buf(), capacity, "%s%s\n%s%s", HashLinePrefix, readHash_.c_str(),
           PasswordLinePrefix, passwordHex.c_str());
  plat::secureZero(passwordHex.buf(), passwordHex.length());
  signature_ = encryptString(text.c_str(), masterPassword);
}

bool EncryptedConfig::decrypt(const char* password) {
  if (hasEncryptedPassword())
    return openEncryptedPassword(password);
  if (hasSignature())
    return openSignature(password);
  return true;
}

bool EncryptedConfig::openEncryptedPassword(const char* password) {
  ZeroingBuffer hex = decryptString(encryptedPassword_.c_str(), password);
  if (!hex.c_str())
    return false;
  int length = plat::strLen(hex.c_str());
  ZeroingBytes bytes;
  uint8_t* out = bytes.allocate(length / 2);
  // Authentic but not hexadecimal: nothing sensible can be made of it.
  if (length % 2 != 0 || (length && !plat::hexToBin(hex.c_str(), length, out)))
    return false;
  password_ = std::move(bytes);
  encryptedPassword_ = plat::String();
  return true;
}

bool EncryptedConfig::openSignature(const char* password) {
  ZeroingBuffer text = decryptString(signature_.c_str(), password);
  if (!text.c_str())
    return false;
  char* next = text.buf();
  char* line = plat::nextToken(&next, '\n');
  SignatureLine hash;
  if (!line || !splitLine(line, &hash) || strcmp(hash.section, "Signature") != 0 ||
      strcmp(hash.name, "Hash") != 0)
    return false;
  if (hashState_ == HashInvalid)
    return false;
  if (hashState_ == HashValid && strcmp(hash.value, readHash_.c_str()) != 0)
    return false;
  while ((line = plat::nextToken(&next, '\n')) != nullptr) {
    SignatureLine pair;
    if (splitLine(line, &pair))
      setFromFile(pair.name, pair.value, pair.section);
  }
  signature_ = plat::String();
  return true;
}

void EncryptedConfig::clearPassword() {
  password_.clear();
  signature_ = plat::String();
  encryptedPassword_ = plat::String();
}

} // namespace addrbook
