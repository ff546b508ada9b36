// The text of a connection file that the viewer's "Save Connection" sends
// (another process's bytes: anything may arrive).
#pragma once

#include <cstddef>

namespace addrbook {

class EncryptedConfig;

// Larger than any connection file the viewer writes.
enum { MaxConnectionText = 64 * 1024 };

// Reads the size bytes at data into config as the text of a connection
// file. The text ends at the first NUL, or with the block when it holds
// none (a sender may count the text without its terminator); nothing past
// the block is read. Throws plat::Exception: the reader's own reason for a
// text that does not parse, "Connection text too long" beyond
// MaxConnectionText bytes, and "Not a connection file" for an empty text
// or one that names no server in its Connection section.
void readConnectionText(const void* data, size_t size, EncryptedConfig* config);

} // namespace addrbook
