// Saves whole remote shares into local folders: walks a ready share's
// listing in order, creates its directories, opens one FileStream per file
// with at most ftConcurrency files of a share in flight, renames the
// top-most name that clashes with something on disk (DownloadPaths), and
// reports each download's start, progress, failure and end to an
// SDCallback (the downloads model). Every name from the other end is
// sanitised first, and every local path is checked to stay below the
// download folder.
//
// It is the callback of every FileStream it opens. Main thread only.
#pragma once

#include "ft/DownloadPaths.h"
#include "ft/SanitizePathCallback.h"
#include "ft/Win32SanitizePathCallback.h"
#include "ft/win/FileStream.h"

#include <cstdint>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace ft {

class DownloadManager;
class ShareProxy;

class ShareDownloader : public FileStream::Callback {
public:
  typedef ft::SanitizePathCallback SanitizePathCallback;

  // One download: the share's download manager and the share's id.
  struct DownloadId {
    DownloadId() : manager(nullptr), shareId(0) {}
    DownloadId(DownloadManager* manager, uint32_t shareId) : manager(manager), shareId(shareId) {}
    bool operator<(const DownloadId& o) const {
      return manager != o.manager ? manager < o.manager : shareId < o.shareId;
    }
    bool operator==(const DownloadId& o) const {
      return manager == o.manager && shareId == o.shareId;
    }
    DownloadManager* manager;
    uint32_t shareId;
  };

  class SDCallback {
  public:
    virtual ~SDCallback() {}
    // names: the first component of every listing entry's name.
    virtual void downloadStarted(const DownloadId& id, const std::set<std::string>& names) = 0;
    virtual void setRootDir(const DownloadId& id, const char* rootDir) = 0;
    virtual void fileStarting(const DownloadId& id, const char* name) = 0;
    // A directory or file just created.
    virtual void setIconPath(const DownloadId& id, const char* path) = 0;
    // retryable: the download stays listed and Retry calls resume.
    virtual void downloadFailed(const DownloadId& id, const char* message, bool retryable) = 0;
    virtual void showError(const char* message) = 0;
    virtual void progress(const DownloadId& id, uint64_t done, uint64_t total,
                          uint32_t filesStartedLessOne, uint32_t entries) = 0;
    virtual void downloadComplete(const DownloadId& id) = 0;
  };

  ShareDownloader();
  // Cancels the downloads still running.
  ~ShareDownloader() override;

  // Neither is owned; a null sanitiser means the built-in Windows one.
  void setCallback(SDCallback* callback) { callback_ = callback; }
  void setSanitizePathCallback(SanitizePathCallback* sanitizer) { sanitizer_ = sanitizer; }

  // Starts saving the share (takes a reference of its own) below directory.
  // An empty share is released at once (releaseEmpty).
  void download(ShareProxy* share, const char* directory);
  // A share without entries has nothing to save: it is released at once
  // and never reported, so no download without a name is ever shown; true
  // for such a share.
  bool releaseEmpty(ShareProxy* share);
  void pause(const DownloadId& id);
  // Writes what the download's files hold and lets data flow again; after a
  // failure to start files, starts those files again. False when the
  // download has no open file, ended meanwhile, or failed again (reported).
  bool resume(const DownloadId& id);
  // Aborts every open file (their partial files are deleted) and releases
  // the share; nothing more is reported for the download.
  void cancel(const DownloadId& id);
  void showError(const char* message);

  // Whether a local path exists, and the exclusive create of a file's
  // stream (throws plat::Exception); replaceable together for tests, as a
  // drive answers both.
  static DownloadPaths::ExistsFunction fileExists;
  typedef FileStream* (*CreateFunction)(const char* path, const ShareEntry& entry,
                                        FileStream::Callback* callback);
  static CreateFunction createFile;

  // FileStream::Callback
  void progress(FileStream* stream, uint64_t bytesOnDisk) override;
  void writeError(FileStream* stream, const char* message) override;
  void fileDone(FileStream* stream) override;
  void fileFailed(FileStream* stream, const char* message) override;

private:
  struct Slot {
    FileStream* stream = nullptr;
    int32_t entry = -1;
    uint64_t bytes = 0;
  };
  struct Record;

  Record* find(const DownloadId& id);
  Record* findStream(FileStream* stream, Slot** slot);
  // Starts the next entries in the slot until a file is open (true) or the
  // listing is done; then, with no file open any more, the download is
  // over (false).
  bool startNext(Record* record, Slot* slot);
  // The file of a listing entry at *path, or, when that name is taken, at
  // its next free candidate (*path then changes).
  FileStream* createStream(Record* record, const char* name, const ShareEntry& entry,
                           plat::String* path);
  // The listing is done and no file is open: complete, or failed with
  // files missing.
  void finish(Record* record);
  void startFailed(Record* record, uint32_t index, const char* message);
  bool retry(Record* record);
  // Removes the record once nothing is open and no retry is waiting.
  void settle(Record* record);
  void removeRecord(Record* record);
  // Aborts the slot's file towards the other end and deletes it; the
  // stream's fileFailed follows (at once, or once its write returns).
  static void giveUp(ShareProxy* share, const Slot& slot);
  char* sanitize(const char* name);

  std::list<std::unique_ptr<Record>> downloads;
  SDCallback* callback_;
  SanitizePathCallback* sanitizer_;
  Win32SanitizePathCallback builtIn;
};

} // namespace ft
