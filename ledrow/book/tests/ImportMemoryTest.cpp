// The import of a large book must take memory in proportion to the book,
// not a tree of it many times its size. Every allocation of this test
// program is counted, so that the peak of one import can be measured.
#include "BookFiles.h"
#include "ledrow/book/XmlImporter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> liveBytes{0};
std::atomic<size_t> peakBytes{0};
// The size sits in front of each block, in a header that keeps the
// alignment malloc gives.
const size_t Header = 16;

} // namespace

void* operator new(size_t size) {
  char* block = (char*)malloc(size + Header);
  if (!block)
    throw std::bad_alloc();
  *(size_t*)block = size;
  size_t live = liveBytes += size;
  size_t peak = peakBytes;
  while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
  }
  return block + Header;
}

// GCC sees the block come from operator new and go to free, which is just
// what this pair is for.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif

void operator delete(void* p) noexcept {
  if (!p)
    return;
  char* block = (char*)p - Header;
  liveBytes -= *(size_t*)block;
  free(block);
}

void operator delete(void* p, size_t) noexcept { operator delete(p); }

TEST_F(OptionsTest, ImportMemoryStaysInProportionToTheBook) {
  ScratchDir scratch;
  // Many small elements: as a tree, each costs many times its text.
  std::string line = "<param name=\"FullScreen\" value=\"1\"/>";
  for (int i = 0; i < 20; i++)
    line += "<i/>";
  std::string book = "<ledrow><file name=\"many\"><section name=\"Options\">\n";
  while (book.size() < (256 << 10))
    book += line + "\n";
  book += "</section></file></ledrow>\n";
  std::string path = scratch.file("book.xml");
  writeText(path, book);
  std::string target = scratch.file("Target");
  addrbook::makeDirectory(target.c_str());

  size_t before = liveBytes;
  peakBytes = before;
  ASSERT_TRUE(addrbook::XmlImporter::importFile(nullptr, path.c_str(), target.c_str()));
  EXPECT_LT(peakBytes - before, 2 * book.size());
  EXPECT_NE("(missing)", readText(join(target, "many.kiv")));
}
