// The entry hash joins names and values with nothing between them, so one
// hashed text can stand for other pairs: "Host" "hostUserNamex" "UserName"
// "tester" hashes as "Host" "host" "UserName" "xUserNametester" does.
// NameSplit takes the pairs in order and tells whether their joined text
// splits into these names, in this order, in no other way: only then does
// the hash say which value each name had.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace addrbook {

class NameSplit {
public:
  // A name that could stand elsewhere in the joined text, and the name of
  // the pair whose value holds it there (its own, or the one before).
  struct Clash {
    std::string holder;
    std::string name;
  };

  void add(const char* name, const char* value);
  void clear();
  // Whether the joined text splits into the names added, in their order, in
  // exactly one way.
  bool oneWay() const { return !firstClash(nullptr); }
  // The first name that keeps the split from being the only one; false when
  // there is none.
  bool firstClash(Clash* clash) const;

private:
  struct Name {
    size_t start;
    size_t length;
  };
  std::string nameAt(size_t index) const;

  std::string text_;
  std::vector<Name> names_;
};

} // namespace addrbook
