#include "ferrin/win/ComStream.h"

#include "ferrin/Parameters.h"
#include "ft/Parameters.h"
#include "os/win/OSVersionInfo.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"

#include <climits>
#include <cstring>

namespace ft {

plat::LogWriter comStreamLog("ComStream");

namespace {

// Whether a read waits until it has every byte asked for (or the end of the
// file): what the shell of Windows Vista and 7 relies on.
bool completeReads() {
  static const bool complete = [] {
    const OSVERSIONINFOEXW& record = os::osVersion().record();
    return record.dwMajorVersion == 6 && record.dwBuildNumber > 6000;
  }();
  return complete;
}

HRESULT failure(const plat::SystemException& e) {
  comStreamLog.error("%s", e.str());
  if (FAILED((HRESULT)e.err))
    return (HRESULT)e.err;
  return HRESULT_FROM_WIN32((DWORD)e.err);
}

// Whatever else a call threw: it must not reach the caller's apartment.
HRESULT failure() {
  comStreamLog.error("%s", plat::caughtText());
  return E_FAIL;
}

} // namespace

ComStream::ComStream()
    : manager_(nullptr), size_(0), dataReady_(&mainLock_), open_(true), closeText_(""),
      received_(0), delivered_(0), ringSize_(fileTransferBufferBytes()), ring_(ringSize_),
      released_(false) {}

ComStream::~ComStream() {
  if (DownloadManager* manager = manager_) {
    // Released before its download ended: the other end stops sending.
    // The manager closes the stream, which detaches it.
    try {
      manager->cancelDownload(fileId_);
    } catch (...) {
      comStreamLog.error("cancelDownload: %s", plat::caughtText());
    }
  }
  leaveLiveStreams();
}

void ComStream::init(const FileId& id, uint64_t size, const char* path) {
  comStreamLog.debug("parent thread is %lx", (unsigned long)GetCurrentThreadId());
  fileId_ = id;
  size_ = size;
  expectedSize = size;
  path_ = path;
  plat::Lock l(liveLock());
  liveStreams().insert(std::make_pair((DownloadManager*)nullptr, this));
}

void ComStream::attach(DownloadManager* manager) {
  // Without the Updater nothing would renew the window or delete the
  // stream on this thread.
  if (!Updater::exists())
    throw plat::Exception("no ComStream::Updater");
  manager->addStream(fileId_, this);
  manager_ = manager;
  moveLiveEntry(manager);
}

ComStream::LiveStreams& ComStream::liveStreams() {
  static LiveStreams streams;
  return streams;
}

void ComStream::moveLiveEntry(DownloadManager* manager) {
  plat::Lock l(liveLock());
  leaveLiveStreams();
  liveStreams().insert(std::make_pair(manager, this));
}

void ComStream::leaveLiveStreams() {
  plat::Lock l(liveLock());
  LiveStreams& streams = liveStreams();
  for (auto it = streams.begin(); it != streams.end(); ++it) {
    if (it->second == this) {
      streams.erase(it);
      return;
    }
  }
}

uint64_t ComStream::window() {
  plat::Lock l(mainLock_);
  // What arrived plus the free room: what was read out plus the ring.
  return delivered_ + (uint64_t)ringSize_;
}

void ComStream::write(const uint8_t* data, int length) {
  uint64_t held;
  {
    plat::Lock l(mainLock_);
    ring_.write(data, length);
    received_ += length;
    held = received_ - delivered_;
    dataReady_.signal();
  }
  // Let the reader drain a nearly full ring before more data is taken in.
  if (held >= (uint64_t)ringSize_ * (uint64_t)(int)ferrin::fileTransferYieldThreshold / 100)
    Sleep(0);
}

void ComStream::close(const char* message) {
  {
    plat::Lock l(mainLock_);
    open_ = false;
    if (message)
      closeText_ = message;
    dataReady_.signal();
  }
  if (message && *message)
    comStreamLog.error("closed: %s", message);
  // The manager may be deleted soon (a lost connection): neither the
  // Updater nor the destructor may reach it from now on.
  if (manager_) {
    manager_ = nullptr;
    moveLiveEntry(nullptr);
  }
  // Released with every byte read, it waited for this to go.
  if (released_)
    Updater::signal();
}

bool ComStream::awaitsItsEnd() const { return manager_ && delivered_ >= size_; }

void ComStream::destroy() {
  bool cut;
  {
    plat::Lock l(mainLock_);
    cut = open_ && delivered_ < size_;
  }
  if (cut)
    comStreamLog.warning("Download cancelled");
  // The main thread may delete the stream as soon as it is marked. With no
  // Updater left its download has ended, and it goes here.
  if (!Updater::markReleased(this))
    delete this;
}

void ComStream::getInterfaces(com::InterfaceList* list) {
  list->push_back({IID_IUnknown, static_cast<IStream*>(this)});
  list->push_back({IID_IStream, static_cast<IStream*>(this)});
}

uint64_t ComStream::awaitData() {
  // Even with the listed size read out, only the download's end tells the
  // reader how the file ended: the sender may not have opened it, or it may
  // have grown.
  while (open_ && received_ == delivered_) {
    // A paste that stalls shows where it waits.
    comStreamLog.write(120, "Waiting for data");
    dataReady_.wait(-1);
  }
  return received_ - delivered_;
}

int ComStream::contiguous(const uint8_t** data) {
  if (received_ == delivered_ || !ring_.check(false, 1))
    return 0;
  *data = ring_.getptr();
  return ring_.avail();
}

void ComStream::consumed(int n) {
  ring_.setptr(ring_.getptr() + n);
  // The ring may reuse the room from here on.
  ring_.checkpoint();
  delivered_ += n;
}

int ComStream::take(uint8_t* out, int n) {
  int copied = 0;
  while (copied < n) {
    const uint8_t* data = nullptr;
    int piece = contiguous(&data);
    if (piece == 0)
      break;
    if (piece > n - copied)
      piece = n - copied;
    memcpy(out + copied, data, piece);
    consumed(piece);
    copied += piece;
  }
  return copied;
}

HRESULT ComStream::endResult() {
  return *closeText_.c_str() ? STG_E_ACCESSDENIED : S_FALSE;
}

HRESULT ComStream::Read(void* buffer, ULONG n, ULONG* read) {
  if (read)
    *read = 0;
  // Nothing asked for: nothing to wait for.
  if (n == 0)
    return S_OK;
  if (!buffer)
    return STG_E_INVALIDPOINTER;
  try {
    plat::Lock reading(readLock_);
    plat::Lock l(mainLock_);
    uint8_t* out = (uint8_t*)buffer;
    ULONG delivered = 0;
    HRESULT result = S_OK;
    bool ended = false;
    do {
      awaitData();
      ULONG wanted = n - delivered;
      int k = take(out + delivered, wanted > INT_MAX ? INT_MAX : (int)wanted);
      if (k == 0) {
        result = endResult();
        ended = true;
      }
      // A window to renew only while the download runs.
      if (open_)
        Updater::signal();
      delivered += k;
    } while (completeReads() && !ended && delivered < n);
    if (read)
      *read = delivered;
    comStreamLog.write(120, "Provided %lu of %lu bytes", (unsigned long)delivered,
                       (unsigned long)n);
    return result;
  } catch (const plat::SystemException& e) {
    return failure(e);
  } catch (...) {
    return failure();
  }
}

HRESULT ComStream::CopyTo(IStream* target, ULARGE_INTEGER n, ULARGE_INTEGER* read,
                          ULARGE_INTEGER* written) {
  // 0 asks for everything to the end of the file.
  uint64_t limit = n.QuadPart ? n.QuadPart : UINT64_MAX;
  uint64_t done = 0;
  HRESULT result = S_OK;
  if (!target)
    return STG_E_INVALIDPOINTER;
  try {
    plat::Lock reading(readLock_);
    plat::Lock l(mainLock_);
    while (done < limit) {
      if (awaitData() == 0)
        break;
      const uint8_t* data = nullptr;
      uint64_t piece = (uint64_t)contiguous(&data);
      if (piece > limit - done)
        piece = limit - done;
      ULONG put = 0;
      HRESULT hr;
      {
        // The target may be slow (a file, another apartment): the main
        // thread must still be able to put data into the ring meanwhile.
        // Only this thread takes bytes out, so the piece stays where it is.
        plat::Unlock writing(mainLock_);
        hr = target->Write(data, (ULONG)piece, &put);
      }
      if (FAILED(hr))
        throw plat::SystemException("IStream::Write", (int)hr);
      if (put == 0)
        throw plat::SystemException("No data written", (int)STG_E_CANTSAVE);
      if (put > piece)
        put = (ULONG)piece;
      consumed((int)put);
      if (open_)
        Updater::signal();
      done += put;
    }
    if (*closeText_.c_str() && received_ == delivered_)
      result = STG_E_ACCESSDENIED;
  } catch (const plat::SystemException& e) {
    result = failure(e);
  } catch (...) {
    result = failure();
  }
  if (read)
    read->QuadPart = done;
  if (written)
    written->QuadPart = done;
  return result;
}

HRESULT ComStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) {
  comStreamLog.debug("COM thread is %lx", (unsigned long)GetCurrentThreadId());
  int64_t position;
  uint64_t size;
  {
    plat::Lock l(mainLock_);
    position = (int64_t)delivered_;
    size = size_;
  }
  int64_t target;
  switch (origin) {
  case STREAM_SEEK_SET:
    target = move.QuadPart;
    break;
  case STREAM_SEEK_CUR:
    target = position + move.QuadPart;
    break;
  case STREAM_SEEK_END:
    target = (int64_t)size + move.QuadPart;
    break;
  default:
    return STG_E_INVALIDFUNCTION;
  }
  // The data is gone once read and not there yet beyond: only a "move" to
  // where the stream already is can be made.
  if (target != position)
    return STG_E_INVALIDFUNCTION;
  if (newPosition)
    newPosition->QuadPart = (uint64_t)position;
  return S_OK;
}

HRESULT ComStream::Write(const void*, ULONG, ULONG*) {
  comStreamLog.warning("Write not supported");
  return E_NOTIMPL;
}

HRESULT ComStream::SetSize(ULARGE_INTEGER) {
  comStreamLog.warning("SetSize not supported");
  return E_NOTIMPL;
}

HRESULT ComStream::Commit(DWORD) {
  comStreamLog.warning("Commit not supported");
  return E_NOTIMPL;
}

HRESULT ComStream::Revert() {
  comStreamLog.warning("Revert not supported");
  return E_NOTIMPL;
}

HRESULT ComStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
  comStreamLog.warning("LockRegion not supported");
  return E_NOTIMPL;
}

HRESULT ComStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
  comStreamLog.warning("UnlockRegion not supported");
  return E_NOTIMPL;
}

HRESULT ComStream::Stat(STATSTG* stat, DWORD flags) {
  comStreamLog.debug("Stat() called");
  if (!stat)
    return STG_E_INVALIDPOINTER;
  memset(stat, 0, sizeof(*stat));
  if (!(flags & STATFLAG_NONAME)) {
    plat::WString name(path_.c_str());
    size_t bytes = (wcslen(name.c_str()) + 1) * sizeof(wchar_t);
    stat->pwcsName = (LPOLESTR)CoTaskMemAlloc(bytes);
    if (!stat->pwcsName)
      return STG_E_INSUFFICIENTMEMORY;
    memcpy(stat->pwcsName, name.c_str(), bytes);
  }
  stat->type = STGTY_STREAM;
  stat->cbSize.QuadPart = size_;
  stat->grfMode = 0x8100;
  return S_OK;
}

HRESULT ComStream::Clone(IStream** clone) {
  comStreamLog.warning("Clone not supported");
  if (clone)
    *clone = nullptr;
  return E_NOTIMPL;
}

} // namespace ft
