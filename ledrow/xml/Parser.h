// The XML parser: a whole document in memory, read in one pass. Each
// element is reported to a Handler as it starts and ends; parseText builds
// the element tree from those reports, and a reader that wants less (the
// import of a large book) handles them as they come and keeps only what it
// needs.
#pragma once

#include "ledrow/xml/Element.h"
#include "ledrow/xml/ParseResult.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace xml {

// Told about the document in order. An element comes with its tag, its
// attributes and its parent link, but without children or text: a handler
// that wants a tree links them. The defaults ignore everything, so a plain
// Handler only checks that the document is well formed. An exception from
// a handler ends the parse and reaches the caller.
class Handler {
public:
  virtual ~Handler() {}
  virtual void startElement(const std::shared_ptr<Element>& element) {}
  virtual void endElement(const std::shared_ptr<Element>& element) {}
  // Character data directly inside element.
  virtual void textPart(const std::shared_ptr<Element>& element, TextPart&& part) {}
};

// Parses length bytes (a leading UTF-8 byte-order mark is skipped) and
// reports them to handler. With an expected root tag the first element must
// carry it. The error and its position go to *result; elements are
// reported up to the point where the error was found.
void parseEvents(const char* data, size_t length, const char* expectedRoot, Handler* handler,
                 ParseResult* result);

// Parses as parseEvents does. Returns the root, or null with the error and
// its position in *result.
ElementPtr parseText(const char* data, size_t length, const char* expectedRoot,
                     ParseResult* result);

// The whole file, read into a buffer sized to it: false with
// FileNotFound in *result when it cannot be opened or read. A file larger
// than MaxDataSize is read only one byte past the limit, which the parser
// then refuses.
bool readFile(const char* path, std::vector<char>* data, ParseResult* result);

// readFile, then parseText.
ElementPtr parseFile(const char* path, const char* expectedRoot, ParseResult* result);

} // namespace xml
