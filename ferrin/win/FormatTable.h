// The formats a clipboard share offers, in the order they are enumerated:
// the descriptors in UTF-16 and in the ANSI code page, the private marker,
// and the contents of one file by index.
#pragma once

#include <objidl.h>

namespace ft {

enum { FormatCount = 4 };

// Filled on first use; a format whose registration failed has
// cfFormat 0 and matches nothing.
const FORMATETC* formatTable();

} // namespace ft
