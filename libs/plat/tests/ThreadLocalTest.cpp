#include "plat/ThreadLocal.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// Records, as it goes, whether its contents were still whole.
struct Marked {
  static std::vector<bool> wholeAtEnd;
  unsigned marks[64];
  Marked() {
    for (unsigned& m : marks)
      m = 0x5a5a5a5a;
  }
  ~Marked() {
    bool whole = true;
    for (unsigned m : marks)
      whole = whole && m == 0x5a5a5a5a;
    wholeAtEnd.push_back(whole);
  }
};
std::vector<bool> Marked::wholeAtEnd;

plat::ThreadLocal<Marked> marked;

} // namespace

TEST(ThreadLocal, EachThreadHasItsOwnObjectDeletedWholeWhenTheThreadEnds) {
  Marked::wholeAtEnd.clear();
  Marked* mine = &marked.get();
  EXPECT_EQ(mine, &marked.get());
  for (int i = 0; i < 3; i++) {
    Marked* theirs = nullptr;
    std::thread([&] { theirs = &marked.get(); }).join();
    EXPECT_NE(mine, theirs);
  }
  std::thread([] {}).join(); // a thread that never used it
  EXPECT_EQ(std::vector<bool>(3, true), Marked::wholeAtEnd);
}
