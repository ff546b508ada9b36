// Reads a blocking source ahead on a thread of its own, so that the main
// thread, which sends the data, never waits for it.
//
//   reading thread                          main thread (the consumer)
//   --------------                          --------------------------
//   wait for room  <--roomAvailable--       window empty: compact, reset
//   source->check (blocks)                   dataReady, "would block"
//   [lock] append to the window,
//          set dataReady  ----event----->   handler: resume the upload
//                                           overrun: take the new bytes
//
// The window is the buffer from the consumer's checkpoint to `filled`;
// the reading thread only appends beyond `filled` and the consumer only
// moves bytes below it, both under `lock`. A read failure other than the
// end reaches the consumer as that failure once the bytes before it are
// consumed, so that a broken source is never taken for a short file.
#pragma once

#include "plat/LogWriter.h"
#include "plat/Mutex.h"
#include "plat/String.h"
#include "plat/win/EventManager.h"
#include "plat/win/Handle.h"
#include "plat/win/Thread.h"
#include "rdr/InStream.h"

namespace ft {

// The one "ThreadedInStream" log writer: the threaded streams and their
// upload handler.
extern plat::LogWriter threadedInStreamLog;

class ThreadedInStream : public rdr::InStream, public plat::Thread {
public:
  // Told on the consumer's thread when data (or the end) is there; frees the
  // source when the stream goes.
  class Handler : public plat::EventHandler {
  public:
    // Deletes the source (may be null) and the handler itself.
    virtual void release(rdr::InStream* source) = 0;
  };

  enum { BufferSize = 65536 };

  // Takes over source and handler. Registers the data event with the
  // calling thread's event manager; the caller starts the thread.
  ThreadedInStream(rdr::InStream* source, Handler* handler);
  ~ThreadedInStream() override;

  int pos() override;

protected:
  bool overrun(int itemSize) override;
  void run() override { readAhead(); }

  // The reading loop, until the source ends or the consumer goes. Whatever
  // it meets, of any type, fails the stream.
  void readAhead();
  // The source cannot be read at all: the consumer gets why.
  void fail(const char* why);
  // In a catch block: logs what was caught, whatever its type, and fails
  // the stream with it.
  void failWithCaught();
  // Tells the reading thread to stop at its next step.
  void requestStop();
  // requestStop, then waits for the thread; every destructor of a class
  // whose run() uses its own members calls it first.
  void stopThread();

  rdr::InStream* source;

private:
  plat::Handle dataReady;
  Handler* handler;
  uint8_t* buffer;
  int64_t offset; // stream position of buffer[0]
  plat::Mutex lock;
  plat::Condition roomAvailable;
  // Under lock:
  uint8_t* filled;
  bool finished;
  plat::String failure; // why the source stopped, when it was not its end
};

} // namespace ft
