// The XML parser: a whole document in memory to an element tree.
#pragma once

#include "ledrow/xml/Element.h"
#include "ledrow/xml/ParseResult.h"

#include <cstddef>

namespace xml {

// Parses length bytes (a leading UTF-8 byte-order mark is skipped). With an
// expected root tag the first element must carry it. Returns the root, or
// null with the error and its position in *result.
ElementPtr parseText(const char* data, size_t length, const char* expectedRoot,
                     ParseResult* result);

// Reads the file whole and parses it as parseText does; a file that cannot
// be opened gives FileNotFound.
ElementPtr parseFile(const char* path, const char* expectedRoot, ParseResult* result);

} // namespace xml
