// Viewer passwords are kept obfuscated, never as plain text: DES in ECB
// mode under a key built into this program and the viewer. This hides a
// password from a glance, it does not protect it.
//
// The form: the text padded with zero bytes to a multiple of 8 (at least 8)
// and encrypted block by block, followed by the 4 bytes "UTF8" when the
// text holds a byte of 0x80 or more. Without the marker the text is in the
// ANSI code page, as older programs wrote it.
#pragma once

#include "ledrow/data/AnsiCodePage.h"
#include "ledrow/data/ZeroingBuffer.h"
#include "ledrow/data/ZeroingBytes.h"

#include <cstdint>

namespace addrbook {

// Replaces target's contents with the obfuscated form of a UTF-8 text.
void obfuscatePassword(ZeroingBytes* target, const char* plain);

// The UTF-8 text; the padding and anything after a zero byte are dropped.
// Throws plat::Exception "bad obfuscated password length".
ZeroingBuffer deobfuscatePassword(const uint8_t* data, int length,
                                  const AnsiCodePage& codePage = AnsiCodePage::system());
ZeroingBuffer deobfuscatePassword(const ZeroingBytes& obfuscated,
                                  const AnsiCodePage& codePage = AnsiCodePage::system());

} // namespace addrbook
