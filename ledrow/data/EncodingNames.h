// The RFB encodings by name, as options and the viewer spell them.
#pragma once

namespace addrbook {

// The encoding number of a name compared without regard to the case of A
// to Z (the whole text, nothing trimmed), or -1 for a name not known.
int encodingNumber(const char* name);

} // namespace addrbook
