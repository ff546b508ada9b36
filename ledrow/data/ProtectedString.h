// Protected strings: a text encrypted and authenticated under a password,
// in the form that entries, the master-password verifier and XML exports
// store:
//
//   hex(16-byte EAX tag, ciphertext) "x" hex(8-byte salt)
//
// The key is the first 16 bytes of SHA-1 over the password bytes followed
// by the salt; the cipher is AES-128 in EAX mode with an empty nonce and
// header. Older copies wrote no "x" and salt: the key then comes from the
// password alone. Hex digits are read in either case and written lowercase.
#pragma once

#include "ledrow/data/ZeroingBuffer.h"
#include "plat/String.h"

#include <cstddef>
#include <cstdint>

namespace addrbook {

// Fills a salt or throws plat::Exception.
typedef void (*SaltSource)(uint8_t* salt, int length);
// Where salts come from: the system's generator unless a test installs a
// source of its own; null puts the system's back.
void setSaltSource(SaltSource source);

// A fresh salt from rdr::RandomStream (or the installed source) every time, so the same text and
// password never give the same result. Throws plat::SystemException when the
// system has no random source.
plat::String encryptString(const char* plain, const char* password);
// The length of what encryptString gives for a plain text of plainLength
// bytes.
size_t protectedLength(size_t plainLength);

// The plain text, or a null buffer (c_str() null) for a wrong password or a
// damaged or malformed string. The text ends at its first zero byte.
ZeroingBuffer decryptString(const char* text, const char* password);

// Whether text has the shape of a protected string: hexadecimal, optionally
// followed by "x" and more hexadecimal. Says nothing about its length.
bool isEncryptedForm(const char* text);

} // namespace addrbook
