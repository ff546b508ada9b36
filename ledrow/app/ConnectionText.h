// The text of a connection file that the viewer's "Save Connection" sends
// (another process's bytes: anything may arrive).
#pragma once

#include <cstddef>

namespace addrbook {

class EncryptedConfig;

// Larger than any connection file the viewer writes.
enum { MaxConnectionText = 64 * 1024 };

// Reads the NUL-terminated text in the size bytes at data into config.
// Throws plat::Exception "Not a connection file" unless the block holds
// its terminator, is at most MaxConnectionText bytes and names a server in
// its Connection section, and the reader's exceptions for a text that does
// not parse.
void readConnectionText(const void* data, size_t size, EncryptedConfig* config);

} // namespace addrbook
