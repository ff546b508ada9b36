#include "ledrow/data/ProtectedString.h"
#include "ledrow/crypto/Eax.h"
#include "ledrow/crypto/Sha.h"
#include "plat/DString.h"
#include "plat/WipedString.h"
#include "rdr/RandomStream.h"

#include <cstring>
#include <vector>

namespace addrbook {

namespace {

enum { TagLength = 16, KeyLength = 16, SaltLength = 8 };

// Bytes that may be key material or plain text: wiped when dropped.
struct SecretBytes {
  explicit SecretBytes(size_t n) : bytes(n) {}
  ~SecretBytes() {
    if (!bytes.empty())
      plat::secureZero(bytes.data(), (int)bytes.size());
  }
  std::vector<uint8_t> bytes;
};

struct EaxSession {
  explicit EaxSession(const uint8_t* key) { crypto::eaxSetKey(key, KeyLength, &ctx); }
  ~EaxSession() { crypto::eaxWipe(&ctx); }
  crypto::EaxContext ctx;
};

// Hexadecimal of any length, empty included, into bytes; false for an odd
// length or a non-digit.
bool decodeHex(const char* text, size_t length, std::vector<uint8_t>* out) {
  if (length % 2 != 0 || length > (size_t)plat::MaxStrLen)
    return false;
  out->assign(length / 2, 0);
  return length == 0 || plat::hexToBin(text, (int)length, out->data());
}

// The first 16 bytes of SHA-1 over the password and then the salt.
void deriveKey(const char* password, const uint8_t* salt, size_t saltLength, SecretBytes* key) {
  crypto::Sha sha(160);
  sha.update(password, strlen(password));
  if (saltLength)
    sha.update(salt, saltLength);
  sha.final(key->bytes);
  key->bytes.resize(KeyLength);
}

void systemSalt(uint8_t* salt, int length) {
  rdr::RandomStream random;
  const uint8_t* fresh = random.readBytes(salt, length);
  if (fresh != salt)
    memcpy(salt, fresh, length);
}

SaltSource saltSource = systemSalt;

} // namespace

void setSaltSource(SaltSource source) { saltSource = source ? source : systemSalt; }

plat::String encryptString(const char* plain, const char* password) {
  uint8_t salt[SaltLength];
  saltSource(salt, SaltLength);

  SecretBytes key(0);
  deriveKey(password, salt, SaltLength, &key);

  size_t n = strlen(plain);
  SecretBytes buffer(TagLength + n);
  memcpy(buffer.bytes.data() + TagLength, plain, n);
  {
    EaxSession eax(key.bytes.data());
    crypto::eaxEncrypt(nullptr, 0, nullptr, 0, buffer.bytes.data() + TagLength, n,
                       buffer.bytes.data(), TagLength, &eax.ctx);
  }
  plat::String head =
      plat::String::adopt(plat::binToHex({(int)buffer.bytes.size(), buffer.bytes.data()}));
  plat::String tail = plat::String::adopt(plat::binToHex({SaltLength, salt}));
  plat::DString result;
  result.appendf("%sx", head.c_str());
  result.append(tail.c_str());
  return plat::String(result.c_str());
}

size_t protectedLength(size_t plainLength) {
  return 2 * (TagLength + plainLength) + 1 + 2 * SaltLength;
}

ZeroingBuffer decryptString(const char* text, const char* password) {
  const char* x = strchr(text, 'x');
  size_t headLength = x ? (size_t)(x - text) : strlen(text);

  std::vector<uint8_t> salt;
  if (x && !decodeHex(x + 1, strlen(x + 1), &salt))
    return ZeroingBuffer();
  SecretBytes key(0);
  deriveKey(password, salt.data(), salt.size(), &key);

  SecretBytes blob(0);
  if (!decodeHex(text, headLength, &blob.bytes) || blob.bytes.size() < TagLength)
    return ZeroingBuffer();
  size_t n = blob.bytes.size() - TagLength;
  uint8_t* message = blob.bytes.data() + TagLength;
  int mismatch;
  {
    EaxSession eax(key.bytes.data());
    mismatch = crypto::eaxDecrypt(nullptr, 0, nullptr, 0, message, n, blob.bytes.data(),
                                  TagLength, &eax.ctx);
  }
  if (mismatch)
    return ZeroingBuffer();
  return ZeroingBuffer::copyOf((const char*)message, (int)strnlen((const char*)message, n));
}

bool isEncryptedForm(const char* text) {
  const char* x = strchr(text, 'x');
  size_t headLength = x ? (size_t)(x - text) : strlen(text);
  std::vector<uint8_t> ignored;
  return decodeHex(text, headLength, &ignored) && (!x || decodeHex(x + 1, strlen(x + 1), &ignored));
}

} // namespace addrbook
