// Feeds arbitrary bytes to the XML parser and walks whatever tree comes
// back, so that every part of it is touched under the sanitizers.
#include "ledrow/xml/Parser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void walk(const xml::ElementPtr& element, int depth) {
  if (depth > xml::MaxNesting)
    abort();
  volatile size_t sink = strlen(xml::tagName(element));
  for (const auto& a : element->attributes)
    sink = sink + a.name.size() + a.value.size();
  for (const auto& part : element->parts)
    sink = sink + part.content.size();
  (void)xml::attribute(element, "name");
  (void)xml::childNamed(element, "file", 1);
  for (int i = 0; !xml::isNull(xml::childAt(element, i)); i++) {
    xml::ElementPtr child = xml::childAt(element, i);
    if (child->parent.lock() != element)
      abort();
    walk(child, depth + 1);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xml::ParseResult result;
  xml::ElementPtr root = xml::parseText((const char*)data, size, nullptr, &result);
  // Exactly one of a tree and an error, and an error always has a text.
  if (xml::isNull(root) == (result.code == xml::NoError))
    abort();
  if (root)
    walk(root, 1);
  else if (result.line < 1 || result.column < 1 || strcmp(xml::errorText(result.code), "Unknown") == 0)
    abort();
  // The same input with an expected root either agrees or names the root.
  xml::ParseResult rooted;
  xml::ElementPtr again = xml::parseText((const char*)data, size, "ledrow", &rooted);
  if (root && !again && rooted.code != xml::FirstTagNotFound)
    abort();
  return 0;
}
