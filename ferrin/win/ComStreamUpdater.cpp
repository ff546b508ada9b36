#include "ferrin/win/ComStream.h"

#include "plat/Assert.h"
#include "plat/LogWriter.h"

#include <exception>
#include <memory>
#include <utility>
#include <vector>

namespace ft {

namespace {

// Guards the process's updater and the live-stream set. Held only around
// them: never while calling into a stream or a manager.
plat::Mutex& singletonLock() {
  static plat::Mutex* lock = new plat::Mutex;
  return *lock;
}
ComStream::Updater* singleton = nullptr;

} // namespace

plat::Mutex& ComStream::liveLock() { return singletonLock(); }

ComStream::Updater::Updater()
    : eventManager_(plat::EventManager::instance()), keptRegistered_(nullptr) {
  plat::Lock l(singletonLock());
  PLAT_ASSERT(singleton == 0);
  event_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event_)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  if (!eventManager_->addEvent(event_, this, "ComStream::Updater"))
    throw plat::Exception("addEvent(ComStream::Updater)");
  keepStreamInterfaceRegistered();
  singleton = this;
}

void ComStream::Updater::keepStreamInterfaceRegistered() {
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
    return;
  // Without COM on this thread there is nothing to keep registered.
  if (FAILED(CoMarshalInterThreadInterfaceInStream(IID_IStream, stream, &keptRegistered_)))
    keptRegistered_ = nullptr;
  stream->Release();
}

ComStream::Updater::~Updater() {
  // The shell may hold streams for longer than the program's managers
  // live. Downloads still running end now, so that no stream is attached
  // to a manager once there is no Updater.
  std::vector<std::pair<DownloadManager*, FileId>> running;
  {
    plat::Lock l(singletonLock());
    for (const auto& entry : liveStreams())
      if (entry.first)
        running.push_back(std::make_pair(entry.first, entry.second->fileId()));
  }
  for (const auto& download : running) {
    try {
      download.first->cancelDownload(download.second);
    } catch (plat::Exception& e) {
      comStreamLog.error("cancelDownload: %s", e.str());
    }
  }
  std::vector<std::function<void()>> unrun;
  {
    plat::Lock l(singletonLock());
    singleton = nullptr;
    unrun.swap(jobs_);
  }
  // Destroyed unrun: a waiter learns of it from its job's end.
  unrun.clear();
  eventManager_->removeEvent(event_);
  deleteReleased();
  if (keptRegistered_) {
    CoReleaseMarshalData(keptRegistered_);
    keptRegistered_->Release();
  }
}

bool ComStream::Updater::exists() {
  plat::Lock l(singletonLock());
  return singleton != nullptr;
}

void ComStream::Updater::signal() {
  plat::Lock l(singletonLock());
  if (singleton)
    SetEvent(singleton->event_);
}

bool ComStream::Updater::markReleased(ComStream* stream) {
  plat::Lock l(singletonLock());
  if (!singleton)
    return false;
  stream->released_ = true;
  SetEvent(singleton->event_);
  return true;
}

bool ComStream::Updater::post(std::function<void()> job) {
  plat::Lock l(singletonLock());
  if (!singleton)
    return false;
  singleton->jobs_.push_back(std::move(job));
  SetEvent(singleton->event_);
  return true;
}

namespace {

// Held by a posted job: sets the waiter's event when the last copy of the
// job goes, whether it ran or the Updater took it unrun.
struct JobEnd {
  HANDLE event;
  bool* ran;
  ~JobEnd() { SetEvent(event); }
};

} // namespace

bool ComStream::Updater::runOnMainThread(const std::function<void()>& job) {
  plat::Handle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ended)
    return false;
  bool ran = false;
  std::shared_ptr<JobEnd> end(new JobEnd{ended, &ran});
  if (!post([&job, end] {
        job();
        *end->ran = true;
      }))
    return false;
  end.reset();
  WaitForSingleObject(ended, INFINITE);
  return ran;
}

void ComStream::Updater::runJobs() {
  std::vector<std::function<void()>> jobs;
  {
    plat::Lock l(singletonLock());
    jobs.swap(jobs_);
  }
  for (std::function<void()>& job : jobs) {
    try {
      job();
    } catch (const plat::Exception& e) {
      comStreamLog.error("%s", e.str());
    } catch (const std::exception& e) {
      comStreamLog.error("%s", e.what());
    }
    // Its end (and what it holds) goes with it, here.
    job = nullptr;
  }
}

void ComStream::Updater::deleteReleased() {
  std::vector<ComStream*> released;
  {
    plat::Lock l(singletonLock());
    for (const auto& entry : liveStreams())
      if (entry.second->released_)
        released.push_back(entry.second);
  }
  // Each leaves the set; one whose download still runs cancels it, unless
  // every byte was read: that one goes with the download's end.
  for (ComStream* stream : released)
    if (!stream->awaitsItsEnd())
      delete stream;
}

void ComStream::Updater::processEvent(HANDLE event) {
  ResetEvent(event);
  runJobs();
  deleteReleased();
  // Readers have made room: the write cycles renew the windows, once per
  // manager.
  std::vector<DownloadManager*> managers;
  {
    plat::Lock l(singletonLock());
    for (const auto& entry : liveStreams())
      if (entry.first && (managers.empty() || managers.back() != entry.first))
        managers.push_back(entry.first);
  }
  for (DownloadManager* manager : managers)
    manager->requestWriteCycle();
}

} // namespace ft
