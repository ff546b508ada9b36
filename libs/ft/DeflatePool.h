// Worker threads, shared by the process, that deflate file data ahead of
// the thread that sends it: deflating runs slower than a fast link, so one
// thread that deflates and sends can never keep up with plain data.
//
// Each job is an independent segment: raw deflate from an empty history,
// ending in a sync flush, so that any sequence of segments (after the
// 2-byte stream header) continues the peer's one inflate stream of the
// connection, whatever was sent before it. The sending thread owns the
// segments; a worker only fills in the output of one it took.
#pragma once

#include <zlib.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ft {

// One independent segment: its input bytes, and once done its output.
struct DeflateSegment {
  enum State { Queued, Running, Done, Failed, Cancelled };

  explicit DeflateSegment(const uint8_t* data, int length) : raw(data, data + length) {}

  std::vector<uint8_t> raw;
  // Valid once the state is Done.
  std::vector<uint8_t> deflated;
  // Under the pool's lock.
  State state = Queued;
  // deflate's result when Failed (Z_OK: it did not finish in its output).
  int result = Z_OK;
};

class DeflatePool {
public:
  // The process's pool, made on first need; it stops its workers when the
  // last holder lets it go.
  static std::shared_ptr<DeflatePool> shared();

  explicit DeflatePool(int workers);
  DeflatePool(const DeflatePool&) = delete;
  DeflatePool& operator=(const DeflatePool&) = delete;
  // Waits for the workers; segments still queued stay undone.
  ~DeflatePool();

  int workers() const { return (int)threads.size(); }
  // Queues the segments and wakes the idle workers, all of them (in one
  // call) when more than one segment came.
  void submit(const std::vector<std::shared_ptr<DeflateSegment>>& segments);
  // Makes the segment Done or Failed: deflates it on the calling thread
  // when no worker has taken it yet, else waits for the worker.
  void finish(DeflateSegment& segment);
  // Whether the segment is Done or Failed, without waiting.
  bool finished(const DeflateSegment& segment);
  // A worker that takes the segment later passes it over; one that is
  // deflating it finishes on the segment's own bytes.
  void cancel(DeflateSegment& segment);

  // Deflates length bytes as one independent segment into out (resized to
  // what it holds); returns deflate's result, Z_OK also when the output did
  // not hold it all (then out is empty).
  static int deflateSegment(const uint8_t* data, int length, std::vector<uint8_t>& out);
  // Room one segment of length input bytes needs even when stored.
  static int outputBound(int length);
  // Input of one segment that fits out bytes of output even when stored.
  static int inputFitting(int out);
  // The calling thread's raw deflate stream at the writer's level, reset to
  // an empty history.
  static z_stream& freshStream();

  // The zlib call that deflates file data (zlib's deflate); tests put in
  // one that fails. Returns the one it replaces.
  typedef int (*DeflateFunction)(z_stream* stream, int flush);
  static DeflateFunction setDeflateFunction(DeflateFunction function);
  static int callDeflate(z_stream* stream, int flush);

private:
  void work();
  void run(DeflateSegment& segment);

  std::mutex lock;
  std::condition_variable queued;
  std::condition_variable done;
  std::deque<std::shared_ptr<DeflateSegment>> queue;
  // Who waits on each condition: a wake costs a system call, under Wine a
  // round trip to its server, so none is made for nobody.
  int idle;
  int waiting;
  bool stopping;
  std::vector<std::thread> threads;
};

} // namespace ft
