#include "ferrin/win/ComStream.h"

#include "plat/Assert.h"
#include "plat/LogWriter.h"

#include <vector>

namespace ft {

namespace {

// The process's updater; signalled from any thread.
plat::Mutex& singletonLock() {
  static plat::Mutex lock;
  return lock;
}
ComStream::Updater* singleton = nullptr;

} // namespace

ComStream::Updater::Updater() : eventManager_(plat::EventManager::instance()) {
  plat::Lock l(singletonLock());
  PLAT_ASSERT(singleton == 0);
  event_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event_)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  if (!eventManager_->addEvent(event_, this, "ComStream::Updater"))
    throw plat::Exception("addEvent(ComStream::Updater)");
  singleton = this;
}

ComStream::Updater::~Updater() {
  {
    plat::Lock l(singletonLock());
    singleton = nullptr;
  }
  eventManager_->removeEvent(event_);
  deleteReleased();
}

bool ComStream::Updater::exists() {
  plat::Lock l(singletonLock());
  return singleton != nullptr;
}

void ComStream::Updater::signal() {
  plat::Lock l(singletonLock());
  PLAT_ASSERT(singleton != 0);
  SetEvent(singleton->event_);
}

void ComStream::Updater::deleteReleased() {
  std::vector<ComStream*> released;
  for (const auto& entry : liveStreams())
    if (entry.second->released_)
      released.push_back(entry.second);
  // Each leaves the set; one whose download still runs cancels it.
  for (ComStream* stream : released)
    delete stream;
}

void ComStream::Updater::processEvent(HANDLE event) {
  ResetEvent(event);
  deleteReleased();
  // Readers have made room: renew the windows, once per manager.
  std::vector<DownloadManager*> managers;
  for (const auto& entry : liveStreams())
    if (entry.first && (managers.empty() || managers.back() != entry.first))
      managers.push_back(entry.first);
  for (DownloadManager* manager : managers) {
    try {
      manager->flushByteLimits();
    } catch (plat::Exception& e) {
      comStreamLog.error("flushByteLimits: %s", e.str());
    }
  }
}

} // namespace ft
