#include "ft/DeflatePool.h"

#include "ft/MsgWriter.h"
#include "plat/CallCounter.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"
#include "plat/ThreadLocal.h"

#include <atomic>
#include <cstring>

namespace ft {

namespace {

plat::LogWriter vlog("DeflatePool");

std::atomic<DeflatePool::DeflateFunction> deflateCall(deflate);

// The waits and wakes between the sender and the workers: each a system
// call.
plat::CallCounter senderWaits("deflate.wait");
plat::CallCounter wakes("deflate.wake");
plat::CallCounter ownSegments("deflate.own");

// A reset stream deflates as a fresh one would; one per thread spares each
// segment the allocation of deflate's window and tables, and spares a
// connection that never sends compressed data any deflate state at all.
struct RawStream {
  z_stream stream;
  RawStream() {
    memset(&stream, 0, sizeof(stream));
    // Negative window bits: no stream header or checksum of its own, the
    // writer puts the header before the first segment of a connection.
    if (deflateInit2(&stream, MsgWriter::DeflateLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
      throw plat::Exception("MsgWriter: deflateInit failed");
  }
  ~RawStream() { deflateEnd(&stream); }
};

plat::ThreadLocal<RawStream> rawStreams;

std::mutex sharedLock;
std::weak_ptr<DeflatePool> sharedPool;

} // namespace

std::shared_ptr<DeflatePool> DeflatePool::shared() {
  std::lock_guard<std::mutex> l(sharedLock);
  std::shared_ptr<DeflatePool> pool = sharedPool.lock();
  if (!pool) {
    // Half the cores (the sending thread and the peer need theirs too), and
    // no more than two: two deflate text at the fastest level about twice
    // as fast as one thread sends it, and each worker more only adds the
    // wakes of workers that find little left to take, each a system call
    // that the sending and receiving threads then wait behind.
    int workers = (int)std::thread::hardware_concurrency() / 2;
    pool = std::make_shared<DeflatePool>(workers < 1 ? 1 : workers > 2 ? 2 : workers);
    sharedPool = pool;
  }
  return pool;
}

DeflatePool::DeflatePool(int workers) : idle(0), waiting(0), stopping(false) {
  for (int i = 0; i < workers; i++)
    threads.emplace_back([this] { work(); });
}

DeflatePool::~DeflatePool() {
  {
    std::lock_guard<std::mutex> l(lock);
    stopping = true;
  }
  queued.notify_all();
  for (std::thread& thread : threads)
    thread.join();
}

void DeflatePool::submit(const std::vector<std::shared_ptr<DeflateSegment>>& segments) {
  bool wake, all;
  {
    std::lock_guard<std::mutex> l(lock);
    for (const auto& segment : segments) {
      segment->state = DeflateSegment::Queued;
      queue.push_back(segment);
    }
    wake = !segments.empty() && idle > 0;
    all = segments.size() > 1 && idle > 1;
  }
  // Waking every idle worker is one call, as waking one is; a worker that
  // woke another as it took a segment would make a call of its own.
  if (wake) {
    wakes.add();
    if (all)
      queued.notify_all();
    else
      queued.notify_one();
  }
}

void DeflatePool::work() {
  std::unique_lock<std::mutex> l(lock);
  for (;;) {
    if (!stopping && queue.empty()) {
      idle++;
      queued.wait(l, [this] { return stopping || !queue.empty(); });
      idle--;
    }
    if (stopping)
      return;
    // Held until done: the sender may drop the segment meanwhile.
    std::shared_ptr<DeflateSegment> segment = std::move(queue.front());
    queue.pop_front();
    if (segment->state != DeflateSegment::Queued)
      continue; // cancelled, or taken by the sender itself
    segment->state = DeflateSegment::Running;
    l.unlock();
    run(*segment);
    l.lock();
    if (waiting > 0) {
      wakes.add();
      done.notify_all();
    }
  }
}

void DeflatePool::run(DeflateSegment& segment) {
  int result;
  try {
    result = deflateSegment(segment.raw.data(), (int)segment.raw.size(), segment.deflated);
  } catch (...) {
    // Out of memory, say: the sender fails the connection as for any
    // deflate failure. Nothing may leave a worker's thread.
    vlog.error("%s", plat::caughtText());
    result = Z_MEM_ERROR;
  }
  std::lock_guard<std::mutex> l(lock);
  if (segment.state == DeflateSegment::Running)
    segment.state = result == Z_OK && !segment.deflated.empty() ? DeflateSegment::Done
                                                                 : DeflateSegment::Failed;
  segment.result = result;
}

void DeflatePool::finish(DeflateSegment& segment) {
  std::unique_lock<std::mutex> l(lock);
  if (segment.state == DeflateSegment::Queued) {
    // Left in the queue: the worker that comes to it passes it over.
    segment.state = DeflateSegment::Running;
    l.unlock();
    ownSegments.add();
    run(segment);
    return;
  }
  if (segment.state == DeflateSegment::Running)
    senderWaits.add();
  waiting++;
  done.wait(l, [&segment] { return segment.state != DeflateSegment::Running; });
  waiting--;
}

bool DeflatePool::finished(const DeflateSegment& segment) {
  std::lock_guard<std::mutex> l(lock);
  return segment.state == DeflateSegment::Done || segment.state == DeflateSegment::Failed;
}

void DeflatePool::cancel(DeflateSegment& segment) {
  std::lock_guard<std::mutex> l(lock);
  segment.state = DeflateSegment::Cancelled;
}

// A stored segment's overhead: a 5-byte header per block (zlib makes one
// per 16383 bytes at most; counted here per 4096), the 5-byte empty block
// of the sync flush and the 2-byte stream header; the 32 bytes hold those
// last two with room to spare.
int DeflatePool::outputBound(int length) {
  return length + (length / 4096 + 1) * 5 + 32;
}

int DeflatePool::inputFitting(int out) {
  return out - (out / 4096 + 1) * 5 - 32;
}

z_stream& DeflatePool::freshStream() {
  z_stream& stream = rawStreams.get().stream;
  if (deflateReset(&stream) != Z_OK)
    throw plat::Exception("MsgWriter: deflateReset failed");
  return stream;
}

int DeflatePool::deflateSegment(const uint8_t* data, int length, std::vector<uint8_t>& out) {
  z_stream& stream = freshStream();
  out.resize(outputBound(length));
  stream.next_in = (Bytef*)data;
  stream.avail_in = (uInt)length;
  stream.next_out = out.data();
  stream.avail_out = (uInt)out.size();
  int result = callDeflate(&stream, Z_SYNC_FLUSH);
  // With the output full, deflate may hold more of the segment.
  if (result != Z_OK || stream.avail_out == 0 || stream.avail_in != 0) {
    out.clear();
    return result;
  }
  out.resize(out.size() - stream.avail_out);
  return Z_OK;
}

DeflatePool::DeflateFunction DeflatePool::setDeflateFunction(DeflateFunction function) {
  return deflateCall.exchange(function);
}

int DeflatePool::callDeflate(z_stream* stream, int flush) {
  return deflateCall.load()(stream, flush);
}

} // namespace ft
