#include "ledrow/data/PasswordObfuscation.h"
#include "ledrow/data/Des.h"
#include "plat/Exception.h"
#include "plat/String.h"

#include <cstring>

namespace addrbook {

namespace {

const uint8_t utf8Marker[4] = {'U', 'T', 'F', '8'};

// The viewer's DES reads the bits of each key byte least significant
// first; standard DES under the key with every byte bit-reversed is the
// same cipher.
const uint8_t obfuscationKey[8] = {0x3e, 0x91, 0xc4, 0xa7, 0x0d, 0x5b, 0x28, 0xf6};

uint8_t reverseBits(uint8_t b) {
  uint8_t r = 0;
  for (int i = 0; i < 8; i++, b >>= 1)
    r = (uint8_t)(r << 1 | (b & 1));
  return r;
}

void crypt(uint8_t* data, int length, Des::Direction direction) {
  uint8_t key[8];
  for (int i = 0; i < 8; i++)
    key[i] = reverseBits(obfuscationKey[i]);
  Des des(key, direction);
  for (int i = 0; i + 8 <= length; i += 8)
    des.processBlock(data + i, data + i);
}

bool hasHighByte(const char* text, int len) {
  for (int i = 0; i < len; i++)
    if ((unsigned char)text[i] >= 0x80)
      return true;
  return false;
}

} // namespace

void obfuscatePassword(ZeroingBytes* target, const char* plain) {
  target->clear();
  int len = plat::strLen(plain);
  int padded = len == 0 ? 8 : (len + 7) / 8 * 8;
  bool marked = hasHighByte(plain, len);
  uint8_t* out = target->allocate(padded + (marked ? 4 : 0));
  memcpy(out, plain, len);
  crypt(out, padded, Des::Encrypt);
  if (marked)
    memcpy(out + padded, utf8Marker, 4);
}

ZeroingBuffer deobfuscatePassword(const uint8_t* data, int length,
                                  const AnsiCodePage& codePage) {
  bool utf8 = false;
  if (length % 8 == 4 && memcmp(data + length - 4, utf8Marker, 4) == 0) {
    length -= 4;
    utf8 = true;
  }
  if (length % 8 != 0)
    throw plat::Exception("bad obfuscated password length");
  ZeroingBuffer plain(length + 1);
  if (length)
    memcpy(plain.buf(), data, length);
  crypt(reinterpret_cast<uint8_t*>(plain.buf()), length, Des::Decrypt);
  if (utf8)
    return plain;
  return codePage.toUtf8(plain.c_str());
}

ZeroingBuffer deobfuscatePassword(const ZeroingBytes& obfuscated, const AnsiCodePage& codePage) {
  return deobfuscatePassword(obfuscated.data(), obfuscated.length(), codePage);
}

} // namespace addrbook
