#include "ferrin/upload/win/ThreadedInStream.h"

#include "plat/LogWriter.h"
#include "rdr/Exception.h"

#include <cstring>

namespace ft {

plat::LogWriter threadedInStreamLog("ThreadedInStream");

ThreadedInStream::ThreadedInStream(rdr::InStream* source_, Handler* handler_)
    : plat::Thread("ThreadedInStream"), source(source_), handler(handler_), buffer(nullptr),
      offset(0), roomAvailable(&lock), filled(nullptr), finished(false) {
  try {
    dataReady.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!dataReady)
      throw plat::SystemException("CreateEvent", (int)GetLastError());
    buffer = new uint8_t[BufferSize];
    ptr = end = checkpointAt = filled = buffer;
    if (!plat::EventManager::instance()->addEvent(dataReady, handler, "ThreadedInStream"))
      throw plat::Exception("ThreadedInStream: too many events on this thread");
  } catch (...) {
    delete[] buffer;
    handler->release(source);
    throw;
  }
}

ThreadedInStream::~ThreadedInStream() {
  try {
    plat::EventManager::instance()->removeEvent(dataReady);
  } catch (plat::Exception& e) {
    threadedInStreamLog.error("%s", e.str());
  }
  stopThread();
  delete[] buffer;
  handler->release(source);
}

void ThreadedInStream::requestStop() {
  plat::Lock l(lock);
  finished = true;
  roomAvailable.signal();
}

void ThreadedInStream::stopThread() {
  requestStop();
  join();
}

void ThreadedInStream::fail(const char* why) {
  plat::Lock l(lock);
  if (finished)
    return;
  finished = true;
  failure = why;
  SetEvent(dataReady);
}

void ThreadedInStream::failWithCaught() {
  const char* why = plat::caughtText();
  threadedInStreamLog.error("%s", why);
  fail(why);
}

void ThreadedInStream::readAhead() {
  try {
    for (;;) {
      uint8_t* at;
      int room;
      {
        plat::Lock l(lock);
        while (!finished && filled == buffer + BufferSize)
          roomAvailable.wait(-1);
        if (finished)
          return;
        at = filled;
        room = (int)(buffer + BufferSize - filled);
      }
      // Outside the lock: the consumer only ever moves bytes below `at`.
      int n = 0;
      bool ended = false;
      try {
        source->check(true, 1);
        n = source->avail() < room ? source->avail() : room;
        memcpy(at, source->getptr(), n);
        source->skip(n);
        source->checkpoint();
      } catch (rdr::EndOfStream& e) {
        threadedInStreamLog.debug("%s", e.str());
        ended = true;
      }
      plat::Lock l(lock);
      if (finished)
        return;
      // The consumer may have compacted the window meanwhile.
      memmove(filled, at, n);
      filled += n;
      finished = ended;
      SetEvent(dataReady);
      if (ended)
        return;
    }
  } catch (...) {
    // Whatever it was (a read that failed, memory that ran out): an upload
    // that never heard of it would wait for ever.
    failWithCaught();
  }
}

int ThreadedInStream::pos() {
  return rdr::wrapPos(offset + (ptr - buffer));
}

bool ThreadedInStream::overrun(int itemSize) {
  plat::Lock l(lock);
  if (ptr < filled) {
    end = filled;
    return true;
  }
  if (finished) {
    if (!failure.isNull())
      throw plat::Exception(failure.c_str());
    throw rdr::EndOfStream();
  }
  // Empty: keep what lies from the checkpoint on and make room behind it.
  ptrdiff_t dropped = checkpointAt - buffer;
  if (dropped > 0) {
    memmove(buffer, checkpointAt, filled - checkpointAt);
    offset += dropped;
    checkpointAt = buffer;
    ptr -= dropped;
    end -= dropped;
    filled -= dropped;
  }
  roomAvailable.signal();
  ResetEvent(dataReady);
  return false;
}

} // namespace ft
