#include "ft/win/ShareDownloader.h"

#include "ft/DownloadManager.h"
#include "ft/FormatRate.h"
#include "ft/Parameters.h"
#include "ft/ShareProxy.h"
#include "plat/CurrentTime.h"
#include "plat/LogWriter.h"
#include "plat/Path.h"
#include "plat/win/File.h"

#include <cstring>
#include <deque>
#include <windows.h>

namespace ft {

static plat::LogWriter vlog("ShareDownloader");

// Candidates of one name tried before "Too many name clashes".
static const int ClashLimit = 1000;

DownloadPaths::ExistsFunction ShareDownloader::fileExists = plat::fileExists;

static FileStream* newFileStream(const char* path, const ShareEntry& entry,
                                 FileStream::Callback* callback) {
  return new FileStream(path, entry, callback);
}
ShareDownloader::CreateFunction ShareDownloader::createFile = newFileStream;

// One running download. A download that failed (ended) starts no more files
// and reports nothing more; its open files run to their end and then it
// goes. Files that could not be started are passed over and remembered: when
// the rest is done the download fails, retryably, and stays listed until a
// retry starts exactly those files again or it is cancelled.
struct ShareDownloader::Record {
  Record(ShareProxy* share_, const char* directory)
      : id(share_->owner(), share_->shareId()), paths(directory, fileExists), share(share_) {
    share->addRef();
  }
  ~Record() { share->release(); }

  bool holdsStreams() const {
    for (const Slot& slot : slots) {
      if (slot.stream)
        return true;
    }
    return false;
  }

  DownloadId id;
  DownloadPaths paths;
  ShareProxy* share;
  uint32_t next = 0;
  uint64_t total = 0;
  uint64_t completed = 0;
  std::vector<Slot> slots;
  int64_t start = 0;
  int64_t idleStart = 0;
  int64_t idleTime = 0;
  // Entries that could not be started, and why the first of them failed.
  std::vector<uint32_t> failed;
  plat::String startFailure;
  // Entries to start again before the next new one.
  std::deque<uint32_t> retry;
  // Failed with files missing, waiting for a retry.
  bool awaitingRetry = false;
  // The folder the last file went into, known to exist.
  std::string lastFolder;
  bool ended = false;
};

ShareDownloader::ShareDownloader() : callback_(nullptr), sanitizer_(nullptr) {}

ShareDownloader::~ShareDownloader() {
  while (!downloads.empty())
    cancel(downloads.front()->id);
}

char* ShareDownloader::sanitize(const char* name) {
  return (sanitizer_ ? sanitizer_ : &builtIn)->sanitize(name);
}

ShareDownloader::Record* ShareDownloader::find(const DownloadId& id) {
  for (auto& record : downloads) {
    if (record->id == id && !record->ended)
      return record.get();
  }
  return nullptr;
}

ShareDownloader::Record* ShareDownloader::findStream(FileStream* stream, Slot** found) {
  for (auto& record : downloads) {
    for (Slot& slot : record->slots) {
      if (slot.stream == stream) {
        *found = &slot;
        return record.get();
      }
    }
  }
  return nullptr;
}

void ShareDownloader::removeRecord(Record* record) {
  for (auto it = downloads.begin(); it != downloads.end(); ++it) {
    if (it->get() == record) {
      downloads.erase(it);
      return;
    }
  }
}

void ShareDownloader::settle(Record* record) {
  if (!record->holdsStreams() && !record->awaitingRetry)
    removeRecord(record);
}

bool ShareDownloader::releaseEmpty(ShareProxy* share) {
  if (share->size() != 0)
    return false;
  vlog.info("Share %lu is empty: nothing to save", (unsigned long)share->shareId());
  share->tellReleased();
  return true;
}

void ShareDownloader::download(ShareProxy* share, const char* directory) {
  if (releaseEmpty(share))
    return;
  std::unique_ptr<Record> owned(new Record(share, directory));
  Record* record = owned.get();
  DownloadId id = record->id;
  std::set<std::string> names;
  for (const ShareEntry* entry : *share) {
    record->total += entry->size;
    const char* name = entry->name.c_str();
    const char* slash = strchr(name, '/');
    names.insert(slash ? std::string(name, slash - name) : std::string(name));
  }
  if (callback_) {
    callback_->downloadStarted(id, names);
    // Before anything can fail: a failure names the folder to look in.
    callback_->setRootDir(id, record->paths.root());
  }
  if (!share->owner()) {
    if (callback_)
      callback_->downloadFailed(id, "Connection closed", false);
    return;
  }
  record->slots.resize(downloadConcurrency());
  record->start = record->idleStart = plat::currentTime();
  downloads.push_back(std::move(owned));
  bool started = false;
  for (Slot& slot : record->slots) {
    if (!startNext(record, &slot))
      break;
    started = true;
  }
  if (!started) // nothing but directories, all done (or failed) already
    settle(record);
}

void ShareDownloader::startFailed(Record* record, uint32_t index, const char* message) {
  record->failed.push_back(index);
  if (!record->startFailure.isNull()) {
    vlog.error("%s", message);
    return;
  }
  record->startFailure = message;
}

bool ShareDownloader::startNext(Record* record, Slot* slot) {
  ShareProxy& share = *record->share;
  for (;;) {
    uint32_t index;
    if (!record->ended && !record->retry.empty()) {
      index = record->retry.front();
      record->retry.pop_front();
    } else if (!record->ended && record->next < share.size()) {
      index = record->next++; // a file that cannot start is passed over
    } else {
      if (record->holdsStreams())
        return true;
      finish(record);
      return false;
    }
    const ShareEntry& entry = *share[index];
    plat::String name = plat::String::adopt(sanitize(entry.name.c_str()));
    if (callback_)
      callback_->fileStarting(record->id, name.c_str());
    try {
      bool folder = entry.flags & ShareEntry::Directory;
      if (folder)
        record->paths.checkClashes(name.c_str(), ClashLimit);
      else
        record->paths.checkFolders(name.c_str(), ClashLimit);
      plat::String path = record->paths.localPath(name.c_str());
      if (folder) {
        plat::mkDirs(path.c_str());
        setAttributes(path.c_str(), entry);
        if (callback_)
          callback_->setIconPath(record->id, path.c_str());
        continue;
      }
      plat::ParentDirectory parent(path.c_str());
      if (record->lastFolder != parent.path()) {
        if (!plat::isDirectory(parent.path()))
          plat::mkDirs(parent.path());
        record->lastFolder = parent.path();
      }
      DownloadManager* manager = share.owner();
      if (!manager)
        throw plat::Exception("Connection closed");
      FileStream* stream = createStream(record, name.c_str(), entry, &path);
      FileId fileId(share.shareId(), index);
      try {
        manager->requestFile(fileId, entry.name.c_str(), 0, ~(uint64_t)0);
        manager->addStream(fileId, stream);
      } catch (...) {
        stream->discard();
        throw;
      }
      slot->stream = stream;
      slot->entry = (int32_t)index;
      slot->bytes = 0;
      if (callback_)
        callback_->setIconPath(record->id, path.c_str());
      manager->requestWriteCycle();
      return true;
    } catch (plat::ParentDirectory::PathIsRoot&) {
      startFailed(record, index, "Invalid download folder.");
    } catch (plat::ParentDirectory::NotAPath&) {
      startFailed(record, index, "Invalid download folder.");
    } catch (plat::SystemException& e) {
      startFailed(record, index,
                  e.err == ERROR_NOT_READY
                      ? "Storage device is not ready or media/disk is not present."
                      : e.str());
    } catch (plat::Exception& e) {
      startFailed(record, index, e.str());
    }
  }
}

// Looking at a name before creating its file costs a search of the folder
// (under Wine, one for every file): the exclusive create finds a name that
// is taken, and only then is the name resolved and the file made under its
// new name.
FileStream* ShareDownloader::createStream(Record* record, const char* name, const ShareEntry& entry,
                                          plat::String* path) {
  try {
    return createFile(path->c_str(), entry, this);
  } catch (plat::SystemException&) {
    if (!fileExists(path->c_str()))
      throw;
  }
  record->paths.takenName(name, ClashLimit);
  *path = record->paths.localPath(name);
  return createFile(path->c_str(), entry, this);
}

void ShareDownloader::finish(Record* record) {
  if (record->ended) // failed before: reported then
    return;
  if (!record->failed.empty()) {
    record->awaitingRetry = true;
    if (callback_)
      callback_->downloadFailed(record->id, record->startFailure.c_str(), true);
    return;
  }
  record->ended = true;
  int64_t elapsed = plat::currentTime() - record->start;
  if (elapsed <= 0)
    elapsed = 1;
  plat::String rate = plat::String::adopt(
      formatRate((uint64_t)((double)record->total * 10000000.0 / (double)elapsed)));
  vlog.info("Download complete. Average speed %s.", rate.c_str());
  vlog.debug("Idle time: %ims (%i%%)", (int)(record->idleTime / 10000),
             (int)(record->idleTime * 100 / elapsed));
  if (callback_)
    callback_->downloadComplete(record->id);
  record->share->tellReleased();
}

void ShareDownloader::pause(const DownloadId& id) {
  if (Record* record = find(id)) {
    for (Slot& slot : record->slots) {
      if (slot.stream)
        slot.stream->paused = true;
    }
  }
}

bool ShareDownloader::retry(Record* record) {
  DownloadId id = record->id;
  record->awaitingRetry = false;
  if (!record->share->owner()) {
    record->ended = true;
    if (callback_)
      callback_->downloadFailed(id, "Connection closed", false);
    removeRecord(record);
    return false;
  }
  record->retry.assign(record->failed.begin(), record->failed.end());
  record->failed.clear();
  record->startFailure = plat::String();
  // Folders may have gone meanwhile: each is looked at again.
  record->lastFolder.clear();
  for (Slot& slot : record->slots) {
    if (slot.stream)
      continue;
    if (!startNext(record, &slot)) {
      // Failed again, or nothing but directories: reported already.
      settle(record);
      return false;
    }
  }
  return true;
}

bool ShareDownloader::resume(const DownloadId& id) {
  Record* record = find(id);
  if (!record)
    return false;
  if (record->awaitingRetry)
    return retry(record);
  // Draining may end a file (a close that waited), which frees its slot and
  // may start the next file in it: each file is known by its entry too.
  std::vector<Slot> open;
  for (const Slot& slot : record->slots) {
    if (slot.stream)
      open.push_back(slot);
  }
  if (open.empty())
    return false;
  auto stillOpen = [&](const Slot& file) {
    Record* now = find(id);
    if (!now)
      return false;
    for (const Slot& slot : now->slots) {
      if (slot.stream == file.stream && slot.entry == file.entry)
        return true;
    }
    return false;
  };
  for (const Slot& file : open) {
    if (!find(id))
      return false; // the download ended meanwhile
    if (!stillOpen(file))
      continue;
    file.stream->paused = false;
    if (!file.stream->drain() && stillOpen(file))
      return false; // writing failed again
  }
  record = find(id);
  if (!record)
    return false;
  // The windows have grown again.
  if (DownloadManager* manager = record->share->owner())
    manager->requestWriteCycle();
  return true;
}

void ShareDownloader::cancel(const DownloadId& id) {
  Record* record = nullptr;
  for (auto& r : downloads) {
    if (r->id == id && (!record || record->ended))
      record = r.get();
  }
  if (!record)
    return;
  std::unique_ptr<Record> owned;
  for (auto it = downloads.begin(); it != downloads.end(); ++it) {
    if (it->get() == record) {
      owned = std::move(*it);
      downloads.erase(it);
      break;
    }
  }
  for (Slot& slot : record->slots) {
    if (slot.stream)
      giveUp(record->share, slot);
  }
  record->share->tellReleased();
}

void ShareDownloader::giveUp(ShareProxy* share, const Slot& slot) {
  FileStream* stream = slot.stream;
  stream->paused = false; // so that the close is not deferred
  if (stream->closePending()) { // its manager has let it go already
    stream->close("Download cancelled");
  } else if (DownloadManager* manager = share->owner()) {
    manager->cancelDownload(FileId(share->shareId(), (uint32_t)slot.entry));
  }
}

void ShareDownloader::showError(const char* message) {
  if (callback_)
    callback_->showError(message);
}

void ShareDownloader::progress(FileStream* stream, uint64_t bytesOnDisk) {
  Slot* slot;
  Record* record = findStream(stream, &slot);
  if (!record)
    return;
  if (record->idleStart) {
    record->idleTime += plat::currentTime() - record->idleStart;
    record->idleStart = 0;
  }
  slot->bytes = bytesOnDisk;
  if (callback_ && !record->ended) {
    uint64_t done = record->completed;
    for (const Slot& s : record->slots)
      done += s.bytes;
    callback_->progress(record->id, done, record->total, record->next - 1,
                        (uint32_t)record->share->size());
  }
  // The window has grown as the file was written: the write cycle renews it.
  if (DownloadManager* manager = record->share->owner())
    manager->requestWriteCycle();
}

void ShareDownloader::writeError(FileStream* stream, const char* message) {
  Slot* slot;
  Record* record = findStream(stream, &slot);
  if (!record)
    return;
  if (record->ended) {
    // The download failed already and will not be retried: this file is
    // lost too, and goes now rather than wait, partial under its name, for
    // a resume that never comes.
    vlog.error("%s: %s", stream->path(), message);
    giveUp(record->share, *slot);
    return;
  }
  for (auto& r : downloads) {
    if (r->id == record->id) {
      for (Slot& s : r->slots) {
        if (s.stream)
          s.stream->paused = true;
      }
    }
  }
  if (callback_)
    callback_->downloadFailed(record->id, message, true);
}

void ShareDownloader::fileDone(FileStream* stream) {
  Slot* slot;
  Record* record = findStream(stream, &slot);
  if (!record)
    return;
  record->completed += slot->bytes;
  *slot = Slot();
  startNext(record, slot);
  bool idle = true;
  for (const Slot& s : record->slots)
    idle = idle && s.bytes == 0;
  if (idle)
    record->idleStart = plat::currentTime();
  settle(record);
}

void ShareDownloader::fileFailed(FileStream* stream, const char* message) {
  Slot* slot;
  Record* record = findStream(stream, &slot);
  if (!record)
    return;
  *slot = Slot();
  if (!record->ended) {
    record->ended = true;
    if (callback_)
      callback_->downloadFailed(record->id, message, false);
  }
  if (!record->holdsStreams())
    removeRecord(record);
}

} // namespace ft
