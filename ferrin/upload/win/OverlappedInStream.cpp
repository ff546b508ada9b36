#include "ferrin/upload/win/OverlappedInStream.h"

#include "plat/CallCounter.h"
#include "plat/LogWriter.h"
#include "plat/ThreadLocal.h"
#include "rdr/Exception.h"

#include <cstring>
#include <memory>
#include <vector>

namespace ft {

static plat::LogWriter vlog("OverlappedInStream");
static plat::CallCounter reads("upload.read");
static plat::CallCounter readsPending("upload.read.pending");

namespace {

// A named pipe whose writer has gone ends like a file.
bool isEnd(DWORD error) {
  return error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE;
}

// The events of streams that have gone, for the next streams of the
// thread: the upload of a small file would otherwise make and close one,
// two of the few system calls it needs. One left signalled does no harm:
// ReadFile clears the event as it starts, and a stream watches its event
// only while a read of it is pending.
class SpareEvents {
public:
  SpareEvents() = default;
  SpareEvents(const SpareEvents&) = delete;
  SpareEvents& operator=(const SpareEvents&) = delete;
  ~SpareEvents() {
    for (HANDLE event : events)
      CloseHandle(event);
  }
  HANDLE take() {
    if (events.empty())
      return CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE event = events.back();
    events.pop_back();
    return event;
  }
  void give(HANDLE event) {
    if (events.size() < 16)
      events.push_back(event);
    else
      CloseHandle(event);
  }

private:
  std::vector<HANDLE> events;
};

plat::ThreadLocal<SpareEvents> spareEvents;

// Likewise the buffers of the last streams that went, as many as files
// commonly run at once: a block given back to the system comes again as
// fresh pages, and under Wine every page a read may fill is touched first,
// which costs a small file more than its read.
class SpareBuffers {
public:
  SpareBuffers() = default;
  SpareBuffers(const SpareBuffers&) = delete;
  SpareBuffers& operator=(const SpareBuffers&) = delete;
  ~SpareBuffers() {
    for (uint8_t* buffer : buffers)
      delete[] buffer;
  }
  uint8_t* take() {
    if (buffers.empty())
      return new uint8_t[OverlappedInStream::BufferSize];
    uint8_t* buffer = buffers.back();
    buffers.pop_back();
    return buffer;
  }
  void give(uint8_t* buffer) {
    if (buffers.size() < 8)
      buffers.push_back(buffer);
    else
      delete[] buffer;
  }

private:
  std::vector<uint8_t*> buffers;
};

plat::ThreadLocal<SpareBuffers> spareBuffers;

const char* const TooManyEvents = "OverlappedInStream: too many events on this thread";

} // namespace

OverlappedInStream::OverlappedInStream(HANDLE file_, Completion* completion_, uint64_t start)
    : file(file_), completion(completion_), pending(false), watched(false), atEnd(false),
      buffer(nullptr),
      offset(0), requested(0) {
  memset(&overlapped, 0, sizeof(overlapped));
  overlapped.Offset = (DWORD)start;
  overlapped.OffsetHigh = (DWORD)(start >> 32);
  try {
    overlapped.hEvent = spareEvents.get().take();
    if (!overlapped.hEvent)
      throw plat::SystemException("CreateEvent", (int)GetLastError());
    // Watched only while a read is pending, but a stream that could not
    // be woken would wait for ever: no room, no stream.
    plat::EventManager* events = plat::EventManager::instance();
    if (events->eventCount() >= plat::EventManager::MaxEvents)
      throw plat::Exception(TooManyEvents);
  } catch (...) {
    if (overlapped.hEvent)
      spareEvents.get().give(overlapped.hEvent);
    completion->release();
    throw;
  }
  buffer = spareBuffers.get().take();
  ptr = end = checkpointAt = buffer;
}

OverlappedInStream::~OverlappedInStream() {
  if (pending) {
    CancelIo(file);
    DWORD bytes;
    GetOverlappedResult(file, &overlapped, &bytes, TRUE);
  }
  try {
    unwatch();
  } catch (plat::Exception& e) {
    vlog.error("%s", e.str());
  }
  completion->release();
  spareBuffers.get().give(buffer);
  spareEvents.get().give(overlapped.hEvent);
}

void OverlappedInStream::watch() {
  if (watched)
    return;
  if (!plat::EventManager::instance()->addEvent(overlapped.hEvent, this, "Overlapped"))
    throw plat::Exception(TooManyEvents);
  watched = true;
}

void OverlappedInStream::unwatch() {
  if (!watched)
    return;
  watched = false;
  plat::EventManager::instance()->removeEvent(overlapped.hEvent);
}

int OverlappedInStream::pos() {
  return rdr::wrapPos(offset + (ptr - buffer));
}

void OverlappedInStream::advance(DWORD bytes) {
  end += bytes;
  uint64_t position = ((uint64_t)overlapped.OffsetHigh << 32 | overlapped.Offset) + bytes;
  overlapped.Offset = (DWORD)position;
  overlapped.OffsetHigh = (DWORD)(position >> 32);
  // A read that stopped short of its room at the file's size found the end:
  // no further read (and, under Wine, no pass of the event loop) only to be
  // told so. A pipe has no size and reads on.
  LARGE_INTEGER size;
  if (bytes < requested && GetFileSizeEx(file, &size) && (uint64_t)size.QuadPart <= position)
    atEnd = true;
}

void OverlappedInStream::issueRead() {
  if (atEnd || pending || !failure.isNull())
    return;
  for (;;) {
    DWORD room = (DWORD)(buffer + BufferSize - end);
    if (room == 0)
      return;
    reads.add();
    requested = room;
    DWORD bytes = 0;
    DWORD error = ERROR_SUCCESS;
    if (!ReadFile(file, (uint8_t*)end, room, nullptr, &overlapped))
      error = GetLastError();
    // Wine reports a read of a local file as pending when it has completed
    // already: taken now, it costs no pass of the event loop.
    if (error == ERROR_SUCCESS || error == ERROR_IO_PENDING) {
      if (GetOverlappedResult(file, &overlapped, &bytes, FALSE))
        error = ERROR_SUCCESS;
      else if ((error = GetLastError()) == ERROR_IO_INCOMPLETE) {
        readsPending.add();
        pending = true;
        watch();
        return;
      }
    }
    if (error != ERROR_SUCCESS && !isEnd(error))
      throw plat::SystemException("ReadFile", (int)error);
    if (error != ERROR_SUCCESS || bytes == 0) {
      atEnd = true;
      return;
    }
    advance(bytes);
    if (atEnd)
      return;
  }
}

void OverlappedInStream::processEvent(HANDLE event) {
  if (event != overlapped.hEvent)
    return;
  ResetEvent(event);
  if (!pending)
    return;
  DWORD bytes = 0;
  if (GetOverlappedResult(file, &overlapped, &bytes, FALSE)) {
    pending = false;
    unwatch();
    vlog.debug("Event signalled: %i bytes read", (int)bytes);
    if (bytes == 0)
      atEnd = true;
    else
      advance(bytes);
  } else {
    DWORD error = GetLastError();
    if (error == ERROR_IO_INCOMPLETE)
      return;
    pending = false;
    unwatch();
    if (isEnd(error)) {
      vlog.debug("EOF (async)");
      atEnd = true;
    } else {
      // The upload must hear of it, or it would wait for ever.
      plat::SystemException e("GetOverlappedResult", (int)error);
      vlog.error("%s", e.str());
      failure = e.str();
    }
  }
  completion->wake();
}

void OverlappedInStream::compact() {
  ptrdiff_t dropped = checkpointAt - buffer;
  if (dropped == 0)
    return;
  memmove(buffer, checkpointAt, end - checkpointAt);
  offset += dropped;
  checkpointAt = buffer;
  ptr -= dropped;
  end -= dropped;
}

void OverlappedInStream::checkpoint() {
  rdr::InStream::checkpoint();
  if (pending || atEnd || !failure.isNull() || end - checkpointAt > BufferSize / 4)
    return;
  compact();
  issueRead();
}

bool OverlappedInStream::overrun(int itemSize) {
  if (ptr < end)
    return true;
  if (!pending) {
    compact();
    issueRead();
  }
  if (ptr < end)
    return true;
  if (!failure.isNull())
    throw plat::Exception(failure.c_str());
  if (atEnd)
    throw rdr::EndOfStream();
  return false;
}

} // namespace ft
