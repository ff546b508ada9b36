#include "ft/ShareProxy.h"

#include "ft/DownloadManager.h"
#include "ft/Extension.h"
#include "ft/ShareDescription.h"
#include "plat/Assert.h"
#include "plat/Mutex.h"

namespace ft {

namespace {

// Every share's reference count, process-wide. Made on first use, so that
// shares made during static initialisation find it, and never destroyed.
plat::Mutex& countLock() {
  static plat::Mutex* lock = new plat::Mutex;
  return *lock;
}

} // namespace

ShareProxy::ShareProxy(DownloadManager* manager)
    : owner_(manager), extension_(nullptr), flags_(0), shareId_(0), refCount(1), told_(false) {
  PLAT_ASSERT(manager);
  extension_ = manager->extension();
  flags_ = manager->shareFlags();
  shareId_ = manager->shareId();
  for (const ShareEntry* entry : manager->listing())
    push_back(new ShareEntry(*entry));
  extension_->setCurrentShare(this);
}

ShareProxy::~ShareProxy() {
  tellReleased();
  extension_->shareGone(this);
}

void ShareProxy::tellReleased() {
  rfb::MsgHandler* connection;
  {
    // The owner goes only under this lock (Extension::orphanShares), so it
    // is safe to queue the release here on any thread.
    plat::Lock l(extension_->shareLock());
    if (told_ || !owner_)
      return;
    told_ = true;
    owner_->releaseShare(shareId_);
    connection = owner_->connection();
  }
  // Written by the connection's write cycle, never from here: a write may
  // fail (a reset connection), and this runs within share callbacks, sink
  // reports and the destructor.
  extension_->requestWriteCycle(connection);
}

void ShareProxy::addRef() {
  plat::Lock l(countLock());
  refCount++;
}

void ShareProxy::release() {
  bool last;
  {
    plat::Lock l(countLock());
    last = --refCount == 0;
  }
  // Outside the count lock: the destructor takes the share lock, which is
  // held while references are taken (Extension::getCurrentShare).
  if (last)
    delete this;
}

const char* ShareProxy::description() {
  plat::Lock l(countLock());
  if (description_.isNull())
    description_ = describeShare(*this);
  return description_.c_str();
}

} // namespace ft
