#include "ledrow/data/NameSplit.h"

#include <cstring>

namespace addrbook {

void NameSplit::add(const char* name, const char* value) {
  names_.push_back(Name{text_.size(), strlen(name)});
  text_ += name;
  text_ += value;
}

void NameSplit::clear() {
  text_.clear();
  names_.clear();
}

std::string NameSplit::nameAt(size_t index) const {
  return text_.substr(names_[index].start, names_[index].length);
}

// A name that occurs a second time between its neighbours can move there,
// the values on either side taking up the difference: another split of the
// same text. When no name can, every name is held in its place by the ones
// beside it, from the first (which cannot move) on: the split is the only
// one.
bool NameSplit::firstClash(Clash* clash) const {
  for (size_t i = 1; i < names_.size(); i++) {
    const Name& before = names_[i - 1];
    const Name& name = names_[i];
    size_t from = before.start + before.length;
    size_t to = i + 1 < names_.size() ? names_[i + 1].start : text_.size();
    const char* own = text_.data() + name.start;
    for (size_t at = from; at + name.length <= to; at++) {
      if (at == name.start || memcmp(text_.data() + at, own, name.length) != 0)
        continue;
      if (clash)
        *clash = Clash{nameAt(at < name.start ? i - 1 : i), nameAt(i)};
      return true;
    }
  }
  return false;
}

} // namespace addrbook
