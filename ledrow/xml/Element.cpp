#include "ledrow/xml/Element.h"

#include "plat/String.h"

namespace xml {

const char* tagName(const ElementPtr& element) {
  return element ? element->tag.c_str() : nullptr;
}

ElementPtr childAt(const ElementPtr& element, int index) {
  if (!element || index < 0 || (size_t)index >= element->children.size())
    return nullptr;
  return element->children[index];
}

ElementPtr childNamed(const ElementPtr& element, const char* tag, int index) {
  if (!element || index < 0)
    return nullptr;
  for (const auto& child : element->children)
    if (plat::strCaseCmp(child->tag.c_str(), tag) == 0 && index-- == 0)
      return child;
  return nullptr;
}

const Attribute* findAttribute(const ElementPtr& element, const char* name) {
  if (!element)
    return nullptr;
  for (const Attribute& a : element->attributes)
    if (plat::strCaseCmp(a.name.c_str(), name) == 0)
      return &a;
  return nullptr;
}

const char* attribute(const ElementPtr& element, const char* name) {
  const Attribute* a = findAttribute(element, name);
  return a ? a->value.c_str() : nullptr;
}

} // namespace xml
