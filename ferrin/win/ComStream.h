// The IStream the shell reads when the user pastes a remote file. The
// download manager writes the file's data into a ring on the main thread;
// the shell reads it on another thread and blocks while the ring is empty:
// a COM apartment thread of the stream's own, or COM's own threads when
// the stream lives in the multithreaded apartment (a paste by another
// program, see DataObject). The sender may go as far as the bytes taken so
// far plus the free room of the ring; the process-wide Updater renews that
// window on the main thread whenever a reader has made room.
//
//   ComStream* s = new com::ComObject<ComStream>;   // main thread
//   s->init(id, size, path);
//   s->attach(manager); manager->requestFile(...);
//   IUnknown* proxy = s->runOnComThread(static_cast<IStream*>(s), IID_IStream);
//
// The last release only marks the stream; the Updater deletes it on the
// main thread, and a stream released while its download still runs
// cancels that download then, unless every byte was read: that one goes
// once the download has ended. Once the Updater is gone (the program is
// stopping) every download has ended, and a stream the shell still holds
// is deleted by its last release on whatever thread that comes.
#pragma once

#include "com/win/ComObject.h"
#include "ft/DownloadManager.h"
#include "ft/FileId.h"
#include "plat/LogWriter.h"
#include "plat/String.h"
#include "plat/win/EventManager.h"
#include "plat/win/Handle.h"
#include "plat/win/Thread.h"
#include "rdr/CircularInStream.h"

#include <objidl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace ft {

// The one "ComStream" log writer: the streams and their Updater.
extern plat::LogWriter comStreamLog;

class ComStream : public DownloadManager::Stream, public com::ComObjectImpl, public IStream {
public:
  // On the main thread: deletes released streams, renews the windows of
  // the running ones, and runs what other threads need done there (a
  // stream opened for a paste served in another apartment). One per
  // process at a time.
  class Updater : public plat::EventHandler {
  public:
    // Registers its event with the calling thread's event manager.
    Updater();
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;
    // Cancels the downloads still running, deletes the streams released so
    // far, and leaves the others to be deleted by their last release.
    ~Updater() override;

    static bool exists();
    // Any thread; nothing while there is no Updater.
    static void signal();
    // Any thread: marks the stream released for the Updater to delete;
    // false, and nothing marked, when there is no Updater.
    static bool markReleased(ComStream* stream);
    // Any thread: the job runs on the main thread's next pass (an
    // exception from it is logged there). False when there is no Updater;
    // a job the Updater takes with it is destroyed without running.
    static bool post(std::function<void()> job);
    // Any thread but the main one: runs the job on the main thread and
    // waits for it. False when it did not run to its end: there is no
    // Updater, the Updater went first, or the job threw.
    static bool runOnMainThread(const std::function<void()>& job);

    void processEvent(HANDLE event) override;

  private:
    static void deleteReleased();
    void keepStreamInterfaceRegistered();
    void runJobs();

    plat::Handle event_;
    plat::EventManager* eventManager_;
    // A stream interface kept marshalled while the Updater lives, so that
    // the process always has the interface registered for remote calls.
    // Registering it afresh (the first stream after the last one went)
    // while a call from another process is being served can deadlock
    // Wine's RPC server: the shell's GetData waits for the new stream's
    // apartment, which waits for the server, which waits for that call.
    IStream* keptRegistered_;
    // Guarded by the Updater's lock.
    std::vector<std::function<void()>> jobs_;
  };

  // The ring has the size FileTransferBufferSize has now (within the
  // bounds that work).
  ComStream();
  ~ComStream() override;

  // Main thread, once, first.
  void init(const FileId& id, uint64_t size, const char* path);
  // Main thread: registers the stream as the sink of its file's download.
  // Only a registered stream is attached to the manager: one that could
  // not be registered (its id is taken) never reaches it. Throws the
  // manager's plat::Exception.
  void attach(DownloadManager* manager);

  // The download manager's side (main thread).
  uint64_t window() override;
  void write(const uint8_t* data, int length) override;
  // Also detaches the stream from the manager, which may be gone soon.
  void close(const char* message) override;

  // Marks the stream released; the Updater deletes it.
  void destroy() override;
  void getInterfaces(com::InterfaceList* list) override;

  // IStream (the stream's COM thread).
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG n, ULONG* read) override;
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG n, ULONG* written) override;
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* newPosition) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER n, ULARGE_INTEGER* read,
                                   ULARGE_INTEGER* written) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER n,
                                       DWORD type) override;
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER n,
                                         DWORD type) override;
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;

  // Main thread, once released: every byte was read and the download has
  // not ended yet. Its end is awaited rather than the download cancelled.
  bool awaitsItsEnd() const;
  // Null once the download has ended.
  DownloadManager* manager() const { return manager_; }
  const FileId& fileId() const { return fileId_; }

private:
  // With the main lock held: waits while the download runs and the ring is
  // empty; returns the bytes the ring holds.
  uint64_t awaitData();
  // With the main lock held: copies up to n bytes out of the ring (across
  // its wrap) and frees them; returns the bytes copied.
  int take(uint8_t* out, int n);
  // With the main lock held: the contiguous bytes at the ring's read end.
  int contiguous(const uint8_t** data);
  void consumed(int n);
  // What a read that found the ring empty and the download over answers.
  HRESULT endResult();

  // The set of every initialised stream, by manager (null once detached),
  // that the Updater walks; guarded by the Updater's lock, which is held
  // only around the set itself.
  typedef std::multimap<DownloadManager*, ComStream*> LiveStreams;
  static LiveStreams& liveStreams();
  static plat::Mutex& liveLock();
  // Moves the stream's entry to the given manager's key.
  void moveLiveEntry(DownloadManager* manager);
  void leaveLiveStreams();

  DownloadManager* manager_;
  FileId fileId_;
  uint64_t size_;
  plat::String path_;

  // Held by a reader (Read, CopyTo) throughout: in the multithreaded
  // apartment two calls may come at once, and CopyTo leaves the main lock
  // while its target writes.
  plat::Mutex readLock_;

protected:
  // Guards the ring, the counters, open_ and closeText_. Whatever a call
  // meets, it leaves the lock as it found it: a derived stream may look.
  plat::Mutex mainLock_;

private:
  plat::Condition dataReady_;
  bool open_;
  plat::String closeText_;
  uint64_t received_;
  // Bytes read out of the ring: the stream's position.
  uint64_t delivered_;
  int ringSize_;
  rdr::CircularInStream ring_;

  // Set by the last release, under the Updater's lock; the last thing a COM
  // thread does to the object, since the main thread may delete it from
  // then on.
  std::atomic<bool> released_;
};

} // namespace ft
