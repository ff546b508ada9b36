#include "os/ItemIdList.h"
#include "plat/Exception.h"

#include <climits>
#include <cstring>

namespace os {

static const uint8_t emptyList[2] = {0, 0};

static unsigned itemCount(const uint8_t* at) {
  uint16_t cb;
  memcpy(&cb, at, sizeof(cb));
  return cb;
}

int ItemIdList::measure(const void* pidl, int maxBytes) {
  const uint8_t* items = static_cast<const uint8_t*>(pidl);
  // Room is left for the terminator so that the size still fits an int.
  size_t limit = maxBytes >= 0 ? (size_t)maxBytes : (size_t)INT_MAX - 2;
  size_t pos = 0;
  for (;;) {
    if (pos + 2 > limit)
      break; // the block ends where a count should be: the list ends here
    unsigned cb = itemCount(items + pos);
    if (cb == 0)
      break;
    // A count below 2 cannot even hold itself.
    if (cb < 2 || pos + cb > limit)
      throw plat::Exception("ITEMIDLIST buffer overrun");
    pos += cb;
  }
  return (int)pos;
}

ItemIdList::ItemIdList(const void* pidl, int maxBytes) : size_(0), data_(nullptr) {
  if (pidl)
    assign(static_cast<const uint8_t*>(pidl), measure(pidl, maxBytes));
}

ItemIdList::ItemIdList(const ItemIdList& other) : size_(0), data_(nullptr) {
  if (other.data_)
    assign(other.data_, other.size_ - 2);
}

ItemIdList& ItemIdList::operator=(const ItemIdList& other) {
  if (this != &other) {
    delete[] data_;
    data_ = nullptr;
    size_ = 0;
    if (other.data_)
      assign(other.data_, other.size_ - 2);
  }
  return *this;
}

ItemIdList::~ItemIdList() { delete[] data_; }

void ItemIdList::assign(const uint8_t* items, int itemBytes) {
  data_ = new uint8_t[(size_t)itemBytes + 2];
  memcpy(data_, items, (size_t)itemBytes);
  data_[itemBytes] = data_[itemBytes + 1] = 0;
  size_ = itemBytes + 2;
}

const uint8_t* ItemIdList::data() const { return data_ ? data_ : emptyList; }

void ItemIdList::splitLast(ItemIdList* tail) {
  if (tail == this)
    throw plat::AssertionFail("tail != this", "ItemIdList", 53);
  *tail = ItemIdList();
  if (isEmpty())
    return;
  // Our own copy always holds whole items and a terminator.
  int last = 0;
  for (int pos = 0; pos < size_ - 2; pos += (int)itemCount(data_ + pos))
    last = pos;
  tail->assign(data_ + last, size_ - 2 - last);
  data_[last] = data_[last + 1] = 0;
  size_ = last + 2;
}

} // namespace os
