// An output stream of the tests that pretends to have only so much free
// room, and holds the writer to it: its window ends where the room ends, and
// asking for more than is left throws RoomOverrun. Nothing in the programs
// catches that type, so the test that wrote too much fails.
#pragma once

#include <cstdint>

namespace testing_support {

// A writer wrote beyond the room its stream announced.
struct RoomOverrun {
  int wanted;
  int left;
};

template <class Base> class RoomLimited : public Base {
public:
  using Base::Base;

  // At most room more bytes from now on; negative: no limit. With refill,
  // every avail() announces the whole room again, as an output that drains
  // at once would; without, what is written uses the room up.
  void setRoom(int room, bool refill) {
    release();
    room_ = room;
    refill_ = refill;
    mark_ = Base::length();
    clamp();
  }

  int avail() override {
    release();
    int free = Base::avail();
    if (room_ >= 0) {
      if (refill_)
        mark_ = Base::length();
      int left = this->left();
      free = left < free ? left : free;
    }
    clamp();
    return free;
  }
  int overrun(int itemSize, int nItems) override {
    if (room_ >= 0 && left() < itemSize)
      throw RoomOverrun{itemSize, left()};
    release();
    Base::overrun(itemSize, nItems);
    clamp();
    int64_t fit = (this->end - this->ptr) / itemSize;
    return fit < nItems ? (int)fit : nItems;
  }
  void flush() override {
    release();
    Base::flush();
    clamp();
  }

private:
  int left() {
    int left = room_ - (Base::length() - mark_);
    return left > 0 ? left : 0;
  }
  // The base stream's window, cut to the room.
  void clamp() {
    trueEnd_ = this->end;
    if (room_ >= 0 && this->end - this->ptr > left())
      this->end = this->ptr + left();
  }
  void release() {
    if (trueEnd_)
      this->end = trueEnd_;
  }

  int room_ = -1;
  bool refill_ = false;
  int mark_ = 0;
  uint8_t* trueEnd_ = nullptr;
};

} // namespace testing_support
