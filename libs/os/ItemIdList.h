// An owned copy of a shell item-id list: a run of items, each starting with
// its own 16-bit byte count (machine order), ended by a zero count. Lists
// arrive from other processes through the clipboard, so a copy made from a
// memory block never reads past the block.
#pragma once

#include <cstdint>

namespace os {

class ItemIdList {
public:
  // The empty list (size 0): the desktop.
  ItemIdList() : size_(0), data_(nullptr) {}
  // Copies a raw list. maxBytes >= 0 bounds the walk: an item running past
  // it throws "ITEMIDLIST buffer overrun", and a block that ends where a
  // count should be is taken as the list's end. A null pidl gives the empty
  // list. maxBytes < 0 is only for lists the shell itself handed us.
  ItemIdList(const void* pidl, int maxBytes = -1);
  // The list the shell parses from a UTF-8 path (Windows only).
  explicit ItemIdList(const char* path);
  ItemIdList(const ItemIdList& other);
  ItemIdList& operator=(const ItemIdList& other);
  virtual ~ItemIdList();

  // Bytes including the terminator; 0 for the empty list made without one.
  int size() const { return size_; }
  // The raw list; the empty list gives a lone terminator, never null.
  const uint8_t* data() const;
  bool isEmpty() const { return size_ <= 2; }

  // Moves the last item (with a terminator) into tail and ends this list
  // before it. An empty list leaves tail empty.
  void splitLast(ItemIdList* tail);

  // The bytes of the items of a raw list, without the terminator; the
  // bounded walk of the constructor.
  static int measure(const void* pidl, int maxBytes);

private:
  void assign(const uint8_t* items, int itemBytes);

  int size_;
  uint8_t* data_;
};

} // namespace os
