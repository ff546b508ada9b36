#include "ft/win/ActiveShareAutoDownloader.h"
#include "ft/ShareProxy.h"
#include "ft/win/FetchDir.h"
#include "plat/LogWriter.h"

namespace ft {

plat::LogWriter autoDownloaderLog("AutoDownloader");

namespace {

// The flag of a share that the other end wants saved into a folder.
const uint32_t SaveIntoFolder = 1;

// A counted reference for the length of a call.
class Held {
public:
  explicit Held(ShareProxy* share) : share(share) { share->addRef(); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() { share->release(); }

private:
  ShareProxy* share;
};

} // namespace

ActiveShareAutoDownloader::ActiveShareAutoDownloader(Extension* extension,
                                                     GetDirCallback* getDirCallback)
    : extension_(extension), getDirCallback_(getDirCallback) {
  if (extension_)
    extension_->addShareCallback(this);
}

ActiveShareAutoDownloader::~ActiveShareAutoDownloader() {
  if (extension_)
    extension_->removeShareCallback(this);
  for (ShareProxy* share : pending_)
    share->release();
}

void ActiveShareAutoDownloader::sharePending(uint32_t, uint32_t) {}

void ActiveShareAutoDownloader::shareWithdrawn(ShareProxy*) {}

void ActiveShareAutoDownloader::shareReady(ShareProxy* share) {
  if (!(share->flags() & SaveIntoFolder))
    return;
  // Nothing to save: no folder to resolve, nobody to ask.
  if (shareDownloader_.releaseEmpty(share))
    return;
  try {
    if (!fetchDirAsksEveryTime()) {
      plat::String directory = defaultFetchDir();
      fetchShare(share, directory.c_str());
      return;
    }
    if (!getDirCallback_)
      throw plat::Exception("fetchDir configured for 'Ask every time' but no callback");
    share->addRef();
    pending_.push_back(share);
    getDirCallback_->getDir(share);
  } catch (plat::Exception& e) {
    autoDownloaderLog.error("%s", e.str());
    removePending(share);
    shareDownloader_.showError("No download directory is configured, and no default could be\n"
                               "determined. Please configure a download directory below.");
  }
}

void ActiveShareAutoDownloader::fetchShare(ShareProxy* share, const char* directory) {
  // The pending reference may be the last one.
  Held held(share);
  removePending(share);
  bool available;
  {
    plat::Lock l(share->extension()->shareLock());
    available = share->owner() != nullptr;
  }
  if (!available)
    throw plat::Exception("The files are no longer available.");
  shareDownloader_.download(share, directory);
}

void ActiveShareAutoDownloader::removePending(ShareProxy* share) {
  for (auto it = pending_.begin(); it != pending_.end(); ++it) {
    if (*it == share) {
      pending_.erase(it);
      share->release();
      return;
    }
  }
}

} // namespace ft
