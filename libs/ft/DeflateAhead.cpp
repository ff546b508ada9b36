#include "ft/DeflateAhead.h"

#include "rdr/Exception.h"
#include "rdr/InStream.h"

namespace ft {

DeflateAhead::DeflateAhead(std::shared_ptr<DeflatePool> pool_)
    : pool(std::move(pool_)), allowance(0), held(0), measured(false), lastRatio(1) {}

DeflateAhead::~DeflateAhead() {
  for (auto& segment : segments)
    pool->cancel(*segment);
}

void DeflateAhead::feed(rdr::InStream& source, int input) {
  if (held > MaxAhead / 2 || (!measured && !segments.empty()))
    return;
  std::vector<std::shared_ptr<DeflateSegment>> cut;
  for (;;) {
    uint64_t most = allowance < (uint64_t)MaxAhead ? allowance : (uint64_t)MaxAhead;
    if ((uint64_t)held >= most || (!measured && !cut.empty()))
      break;
    int avail = source.avail();
    try {
      if (avail == 0 && !source.check(false, 1))
        break;
    } catch (rdr::EndOfStream&) {
      // The writer meets the end again once these segments are out.
      break;
    }
    avail = source.avail();
    int n = avail < input ? avail : input;
    if ((uint64_t)(held + n) > most)
      n = (int)(most - held);
    auto segment = std::make_shared<DeflateSegment>(source.getptr(), n);
    source.skip(n);
    source.checkpoint();
    segments.push_back(segment);
    cut.push_back(segment);
    held += n;
  }
  if (!cut.empty())
    pool->submit(cut);
}

DeflateSegment& DeflateAhead::finish(size_t i) {
  DeflateSegment& segment = *segments[i];
  pool->finish(segment);
  if (segment.state == DeflateSegment::Done) {
    lastRatio = (double)segment.deflated.size() / segment.raw.size();
    if (lastRatio > 1)
      lastRatio = 1;
    measured = true;
  }
  return segment;
}

void DeflateAhead::pop(size_t count) {
  for (size_t i = 0; i < count; i++) {
    held -= (int)segments.front()->raw.size();
    segments.pop_front();
  }
}

void DeflateAhead::consumeFront(int n) {
  std::shared_ptr<DeflateSegment> front = segments.front();
  if (n >= (int)front->raw.size()) {
    pop(1);
    return;
  }
  // A worker may still be reading the old one's bytes.
  pool->cancel(*front);
  auto rest = std::make_shared<DeflateSegment>(front->raw.data() + n, (int)front->raw.size() - n);
  segments.front() = rest;
  held -= n;
  pool->submit({rest});
}

} // namespace ft
