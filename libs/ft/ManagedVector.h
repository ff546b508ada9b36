// A vector of owned pointers: the elements are deleted with it.
#pragma once

#include <vector>

namespace ft {

template <typename T> class ManagedVector : public std::vector<T*> {
public:
  ManagedVector() {}
  ManagedVector(const ManagedVector&) = delete;
  ManagedVector& operator=(const ManagedVector&) = delete;
  virtual ~ManagedVector() { clear(); }

  // Deletes the elements, last first, and empties the vector.
  virtual void clear() {
    while (!this->empty()) {
      delete this->back();
      this->pop_back();
    }
  }
};

} // namespace ft
