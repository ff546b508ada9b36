// The values of one parameter by priority, lowest first. A parameter holds
// its default and mostly one or two more (the user's, a policy's): up to
// three live inside the object, so that making an option set or reading
// a file into one costs no allocation per value.
#pragma once

#include <iterator>
#include <utility>
#include <vector>

namespace plat {

template <typename T> class PriorityValues {
public:
  using Entry = std::pair<int, T>;

  Entry* begin() { return data(); }
  Entry* end() { return data() + size_; }
  const Entry* begin() const { return data(); }
  const Entry* end() const { return data() + size_; }
  bool empty() const { return size_ == 0; }

  // The value at priority, made (as T()) when there is none.
  T& operator[](int priority) {
    Entry* d = data();
    int i = 0;
    while (i < size_ && d[i].first < priority)
      i++;
    if (i < size_ && d[i].first == priority)
      return d[i].second;
    if (!spilled_ && size_ < Inline) {
      for (int j = size_; j > i; j--)
        inline_[j] = std::move(inline_[j - 1]);
      inline_[i] = Entry(priority, T());
      size_++;
      return inline_[i].second;
    }
    if (!spilled_) {
      heap_.assign(std::make_move_iterator(inline_), std::make_move_iterator(inline_ + size_));
      for (Entry& e : inline_)
        e = Entry();
      spilled_ = true;
    }
    heap_.insert(heap_.begin() + i, Entry(priority, T()));
    size_++;
    return heap_[i].second;
  }

  void erase(int priority) {
    Entry* d = data();
    int i = 0;
    while (i < size_ && d[i].first != priority)
      i++;
    if (i == size_)
      return;
    if (spilled_) {
      heap_.erase(heap_.begin() + i);
    } else {
      for (int j = i; j + 1 < size_; j++)
        inline_[j] = std::move(inline_[j + 1]);
      inline_[size_ - 1] = Entry(); // lets a value's memory go now
    }
    size_--;
  }

private:
  enum { Inline = 3 };
  Entry* data() { return spilled_ ? heap_.data() : inline_; }
  const Entry* data() const { return spilled_ ? heap_.data() : inline_; }

  Entry inline_[Inline];
  std::vector<Entry> heap_;
  int size_ = 0;
  bool spilled_ = false;
};

} // namespace plat
