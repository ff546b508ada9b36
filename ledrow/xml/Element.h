// The element tree the XML parser builds: a whole file in memory, enough
// for the address book's export format. Handles are shared pointers; a null
// handle stands for "no element", and every accessor accepts one.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace xml {

struct Element;
using ElementPtr = std::shared_ptr<const Element>;

struct Attribute {
  std::string name;
  std::string value; // references decoded
};

// Character data between the tags, in document order: text with its
// references decoded, CDATA sections and comments as written.
struct TextPart {
  enum Kind { Text, CData, Comment };
  Kind kind;
  std::string content;
};

struct Element {
  std::string tag;
  std::vector<Attribute> attributes; // document order
  std::vector<std::shared_ptr<Element>> children; // document order
  std::vector<TextPart> parts;
  // Not an owner: a child that held its parent would keep the whole tree
  // alive after the caller dropped the root.
  std::weak_ptr<Element> parent;
};

inline bool isNull(const ElementPtr& element) { return !element; }

// The tag, or null for a null handle.
const char* tagName(const ElementPtr& element);
// The index-th child element; null past the end.
ElementPtr childAt(const ElementPtr& element, int index);
// The index-th child whose tag matches case-insensitively; null when none.
ElementPtr childNamed(const ElementPtr& element, const char* tag, int index = 0);
// The value of the first attribute whose name matches case-insensitively,
// or null.
const char* attribute(const ElementPtr& element, const char* name);
// The same attribute whole, for a value that may hold a zero byte; or null.
const Attribute* findAttribute(const ElementPtr& element, const char* name);

} // namespace xml
