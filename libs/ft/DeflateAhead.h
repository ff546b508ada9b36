// The segments of one upload that the deflate workers work on ahead of the
// sending thread, in file order. It takes the bytes out of the upload's
// source as it cuts them (the source's buffer may move what it holds) and
// keeps each segment's bytes until the message that carries them is
// written, so a segment that cannot be sent as it is (a window or a room
// smaller than its output) is deflated anew, smaller, from those bytes:
// nothing is lost. Lives on the sending thread; bounded by the upload's
// window and by MaxAhead.
#pragma once

#include "ft/DeflatePool.h"

#include <cstdint>
#include <deque>
#include <memory>

namespace rdr {
class InStream;
} // namespace rdr

namespace ft {

class DeflateAhead {
public:
  // The most input held ahead, whatever the window.
  static const int MaxAhead = 256 * 1024;

  explicit DeflateAhead(std::shared_ptr<DeflatePool> pool);
  DeflateAhead(const DeflateAhead&) = delete;
  DeflateAhead& operator=(const DeflateAhead&) = delete;
  // Segments the workers have not taken yet are passed over.
  ~DeflateAhead();

  // The most input it may hold from now on (the upload's window).
  void allow(uint64_t bytes) { allowance = bytes; }
  // Cuts what the source holds now into segments of at most input bytes,
  // while the allowance and MaxAhead leave room; until one segment's ratio
  // is known, into one segment only. Stops quietly at the source's end.
  // Tops up only once half of MaxAhead has gone, so that each wake of the
  // workers brings them several segments.
  void feed(rdr::InStream& source, int input);

  bool empty() const { return segments.empty(); }
  size_t size() const { return segments.size(); }
  DeflateSegment& at(size_t i) { return *segments[i]; }
  // Segment i done or failed, deflated here if no worker has begun it.
  DeflateSegment& finish(size_t i);
  bool finished(size_t i) { return pool->finished(*segments[i]); }
  // The first count segments were sent.
  void pop(size_t count);
  // The first n input bytes of the first segment were sent otherwise; the
  // rest becomes a segment of its own.
  void consumeFront(int n);

  // Output per input byte of the last segment finished (1 before any).
  double ratio() const { return lastRatio; }

private:
  std::shared_ptr<DeflatePool> pool;
  std::deque<std::shared_ptr<DeflateSegment>> segments;
  uint64_t allowance;
  int held; // input bytes in the segments
  bool measured;
  double lastRatio;
};

} // namespace ft
