// Downloads a remote share flagged for saving into a folder (flags bit 0)
// as soon as its listing is complete: into the folder FetchDir names, or,
// when FetchDir is "?", into the folder the user picks when asked through
// the GetDirCallback. The share downloader does the work.
//
// Main thread, like the extension whose share callback it is. Shares
// waiting for the user's answer are kept alive by a counted reference in
// the pending list until fetchShare or removePending.
#pragma once

#include "ft/Extension.h"
#include "ft/win/ShareDownloader.h"
#include "plat/LogWriter.h"

#include <list>

namespace ft {

// The one "AutoDownloader" log writer, shared with the fetch-folder prompt.
extern plat::LogWriter autoDownloaderLog;

class ShareProxy;

class ActiveShareAutoDownloader : public Extension::ShareCallback {
public:
  // Asks the user for the folder of a share; answers later with
  // fetchShare, or removePending when there is no answer.
  class GetDirCallback {
  public:
    virtual ~GetDirCallback() {}
    virtual void getDir(ShareProxy* share) = 0;
  };

  // Registers with the extension (when not null). getDirCallback may be
  // null: then FetchDir "?" is reported as an error.
  ActiveShareAutoDownloader(Extension* extension, GetDirCallback* getDirCallback);
  ActiveShareAutoDownloader(const ActiveShareAutoDownloader&) = delete;
  ActiveShareAutoDownloader& operator=(const ActiveShareAutoDownloader&) = delete;
  // Unregisters, drops the pending shares and ends the downloads.
  ~ActiveShareAutoDownloader() override;

  void sharePending(uint32_t shareId, uint32_t flags) override;
  void shareReady(ShareProxy* share) override;
  void shareWithdrawn(ShareProxy* share) override;

  // Starts the download of share into directory, dropping its pending
  // reference. Throws plat::Exception "The files are no longer
  // available." when the share's connection has gone.
  void fetchShare(ShareProxy* share, const char* directory);
  // Drops the pending reference of share, if it has one.
  void removePending(ShareProxy* share);

  ShareDownloader& shareDownloader() { return shareDownloader_; }

private:
  ShareDownloader shareDownloader_;
  Extension* extension_;
  GetDirCallback* getDirCallback_;
  std::list<ShareProxy*> pending_;
};

} // namespace ft
