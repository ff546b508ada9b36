// The offering side of the engine, one for all connections: owns the local
// shares, advertises the current one on each connection, answers listing
// requests in batches that fit the connection's budget, serves file
// requests within the byte limits the requester grants, and withdraws
// shares. Its network work runs in the extension's write cycle.
#pragma once

#include "ft/FileId.h"
#include "ft/FileProxy.h"
#include "ft/ManagedVector.h"
#include "plat/Mutex.h"
#include "plat/String.h"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

namespace rdr {
class InStream;
} // namespace rdr

namespace rfb {
class MsgHandler;
} // namespace rfb

namespace ft {

class Extension;
class MsgWriter;

class UploadManager {
public:
  // The extension is not owned.
  explicit UploadManager(Extension* extension);
  UploadManager(const UploadManager&) = delete;
  UploadManager& operator=(const UploadManager&) = delete;
  virtual ~UploadManager();

  // Makes the current share: shareId 0 takes the next id of the counter,
  // which never hands out 0. Returns the id. The caller adds the files,
  // calls listComplete and then the extension's refreshUploads.
  virtual uint32_t newShare(uint32_t shareId, uint32_t flags);
  // Takes ownership, also when it throws: the file then is freed and the
  // share is as it was. The file joins the current share.
  void addFile(FileProxy* file);
  // The current share could not be made whole: it goes, with its files,
  // and no share is current until the next newShare. Only before the
  // share is offered (no connection has it).
  void abandonShare();
  // No more files will be added to the current share.
  virtual void listComplete();

  // The current share is to be advertised on the connection.
  void connectionReady(rfb::MsgHandler* connection);
  // A listing request (ReqShare); false when refused.
  bool shareRequested(rfb::MsgHandler* connection, uint32_t shareId, const char* relName,
                      uint32_t depth);
  bool listingPending(rfb::MsgHandler* connection);
  // The advertisement, or the next batch of the listing and its end.
  void sendShareEntries(rfb::MsgHandler* connection);

  virtual void withdrawShare(rfb::MsgHandler* connection, uint32_t shareId);
  bool withdrawalsPending(rfb::MsgHandler* connection);
  void sendWithdrawals(rfb::MsgHandler* connection);
  // The other end no longer needs the share (ReleaseShare); true when the
  // share's record went with it.
  virtual bool releaseShare(rfb::MsgHandler* connection, uint32_t shareId);
  virtual void connectionGone(rfb::MsgHandler* connection);

  // Files a connection may have open at once. Each open upload holds a read
  // buffer (256 KiB for a file on disk), a handle and an event, or a reading
  // thread; a request beyond the bound is answered with an error. The other
  // end of this engine downloads at most 64 files of a share at once
  // (ftConcurrency, 8 by default), and the shell pastes one file after the
  // other: four shares at the most concurrency, or 32 at the default, still
  // fit.
  static const int MaxOpenUploads = 256;

  // A file request (ReqFile); false when it is answered with an error.
  bool fileRequested(rfb::MsgHandler* connection, const char* path, const FileId& fileId,
                     uint64_t upTo, uint64_t start, uint64_t end, uint8_t flags);
  // A new byte limit (UpdateByteLimit).
  void renewUpload(rfb::MsgHandler* connection, const FileId& fileId, uint64_t upTo);
  bool uploadsPending(rfb::MsgHandler* connection);
  // True when something was written.
  bool pumpUploads(rfb::MsgHandler* connection);
  // The requester gave the file up (AbortFile); false for an unknown one.
  bool stopUpload(rfb::MsgHandler* connection, const FileId& fileId);
  void stopAllUploads(rfb::MsgHandler* connection);

  uint32_t currentShareId() const { return currentShare; }
  Extension* owner() const { return extension; }

protected:
  // The next id newShare hands out.
  uint32_t shareIdCounter;

private:
  struct ShareRecord {
    uint32_t flags = 0;
    ManagedVector<FileProxy> entries;
    // Each name's first entry: a request is answered without a search.
    std::unordered_map<std::string, FileProxy*> byName;
    std::set<rfb::MsgHandler*> connections;
  };
  enum ListingStep { AdvertisementDue = 0, Advertised = 1, ListingRequested = 2 };
  struct Listing {
    ListingStep state;
    uint32_t shareId;
    plat::String relName;
    uint32_t depth;
    size_t scanned; // entries of the share already gone through
  };
  struct Upload {
    plat::String path;
    std::unique_ptr<rdr::InStream> source;
    FileId fileId;
    uint64_t position; // the next byte to send
    uint64_t limit;    // bytes allowed up to
    uint64_t start;
    uint64_t end;
    uint64_t size; // the file's size in the listing
    plat::String error;
    bool paused;
    int compression; // -1 undecided, 0 plain, 1 deflate
  };
  typedef std::list<std::unique_ptr<Upload>> Uploads;

  MsgWriter* writer(rfb::MsgHandler* connection);
  // The current share's record; null when it has gone (released by every
  // connection while still current) or there is none.
  ShareRecord* currentRecord();
  // The record loses the connection, and goes when no connection is left.
  bool dropConnection(rfb::MsgHandler* connection, uint32_t shareId);
  Upload* findUpload(rfb::MsgHandler* connection, const FileId& fileId);
  int openUploads(rfb::MsgHandler* connection);
  // An upload that answers with an error text and the end of the file.
  void addFailedUpload(rfb::MsgHandler* connection, const char* path, const FileId& fileId,
                       const char* error);
  bool pumpUpload(rfb::MsgHandler* connection, Upload* upload);
  // Whether the compression of the upload is decided, probing when not.
  void decideCompression(Upload* upload, int maxLen);
  void finishUpload(rfb::MsgHandler* connection, Upload* upload);

  Extension* extension;
  plat::Mutex lock;
  uint32_t currentShare;
  bool listComplete_;
  std::map<uint32_t, std::unique_ptr<ShareRecord>> history;
  std::map<rfb::MsgHandler*, Listing> listings;
  std::map<rfb::MsgHandler*, std::set<uint32_t>> withdrawals;
  std::map<rfb::MsgHandler*, Uploads> uploads;
};

} // namespace ft
