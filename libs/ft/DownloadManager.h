// The receiving side of one connection: follows the share that the other
// end advertises (asks for its listing, collects it, hands the finished
// listing on as a ShareProxy), keeps the sinks that file data goes to,
// queues file requests, aborts and share releases until the connection's
// write cycle has room for them, and renews the byte window of every
// running download.
//
// It never writes on its own initiative: every message leaves through a
// flush operation, which the extension's write cycle calls in a fixed order
// (aborts, releases, listing request, file requests, the releases those
// requests held back, byte limits). A flush that finds no room keeps the
// item queued.
#pragma once

#include "ft/FileId.h"
#include "ft/ManagedVector.h"
#include "ft/ShareEntry.h"
#include "plat/Exception.h"
#include "plat/Mutex.h"
#include "plat/String.h"

#include <cstdint>
#include <map>
#include <set>

namespace rfb {
class MsgHandler;
} // namespace rfb

namespace ft {

class Extension;
class MsgWriter;
class ShareProxy;

class DownloadManager {
public:
  // The sink of one download: a local file, or a stream the shell reads.
  class Stream {
  public:
    // Thrown by write when the consumer has given the download up.
    struct CancelledException : plat::Exception {
      explicit CancelledException(const char* text = "Download cancelled")
          : plat::Exception(text) {}
    };

    enum : uint64_t { UnknownSize = ~(uint64_t)0 };

    Stream() : startTime(0), bytesReceived(0), grantedLimit(0), expectedSize(UnknownSize) {}
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    virtual ~Stream() {}

    // The absolute offset in the file up to which the sink can take data
    // now: what it has taken plus its free room.
    virtual uint64_t window() = 0;
    // length > 0. May throw CancelledException or another plat::Exception.
    virtual void write(const uint8_t* data, int length) = 0;
    // The download has ended: an empty message means success, any other
    // text is why it failed. The manager never touches the stream again.
    virtual void close(const char* message) = 0;
    // What the sink held back to write in one piece goes out now: the
    // thread is about to wait, or a batch of received messages is read.
    // Nothing by default.
    virtual void endOfBatch() {}

    int64_t startTime;      // 100 ns units, set when registered
    uint64_t bytesReceived; // everything delivered, also what failed to write
    uint64_t grantedLimit;  // the last byte limit sent for it
    // The bytes the download brings, from the file's listing entry, set by
    // the owner; a download that brings more or fewer fails.
    uint64_t expectedSize;
  };

  enum ShareState { Idle = 0, ListingWanted = 1, ListingRequested = 2, ListingComplete = 3 };

  // Neither is owned. A null connection makes every flush a no-op.
  DownloadManager(Extension* extension, rfb::MsgHandler* connection);
  DownloadManager(const DownloadManager&) = delete;
  DownloadManager& operator=(const DownloadManager&) = delete;
  // Closes every registered stream with "Connection closed" and drops the
  // extension's current share when it is this manager's.
  virtual ~DownloadManager();

  // The sinks' held data goes out (Stream::endOfBatch): tells every sink.
  void endOfBatch();

  // Each flush returns whether it had (or still has) something to write.
  virtual bool flushReqShare();
  // Thread-safe: a share proxy may be released last on any thread.
  virtual void releaseShare(uint32_t shareId);
  // A share whose file requests still wait keeps its release until they
  // are written (the write cycle flushes the releases again after the
  // requests).
  virtual bool flushReleaseShares();
  // The request waits until a stream is registered under the id (see
  // flushFileRequests). end all ones: to the end of the file.
  virtual void requestFile(const FileId& id, const char* relName, uint64_t start, uint64_t end);
  virtual bool flushFileRequests();
  // File requests waiting for the write cycle.
  size_t requestsWaiting();
  // File data received so far on the connection.
  uint64_t bytesReceived() const { return bytesReceived_; }
  virtual bool flushByteLimits();
  virtual bool flushAborts();
  // Takes ownership of the entry. Only entries of the listing asked for
  // are kept, and only up to listingLimit bytes in all: past it throws
  // plat::Exception, which ends the connection.
  virtual void addShareEntry(uint32_t shareId, ShareEntry* entry);
  // The other end advertised a share.
  virtual void setShare(uint32_t shareId, uint32_t flags);
  // The listing of the followed share is complete: it becomes the
  // extension's current share. Throws plat::Exception for another share or
  // when no listing was asked for.
  virtual ShareProxy* ready(uint32_t sequence);
  virtual void filesWithdrawn(uint32_t shareId);
  virtual ShareProxy* makeShareProxy();
  virtual void clearCurrentShare();

  // Throws "A stream with that id already exists".
  void addStream(const FileId& id, Stream* stream);
  // Queues an abort, closes the stream with "Download cancelled" and asks
  // for the write cycle that sends the abort. On the extension's thread
  // only (the sink it closes belongs there), also from a sink's report or
  // a destructor.
  void cancelDownload(const FileId& id);
  // Has the connection's write cycle run on the extension's thread, to
  // send what was queued or renew the windows that grew. Any thread.
  void requestWriteCycle();
  // File data, or with length 0 the end of the file.
  void dataReceived(const FileId& id, const uint8_t* data, int length);
  void fileError(const FileId& id, const char* message);
  // Unregisters the stream and closes it; false for an unknown id.
  bool closeStream(const FileId& id, const char* message);

  // What a listing may take, counted in memory; returns the bound it
  // replaces. The default, 256 MiB, holds a million entries and more.
  static uint64_t setListingLimit(uint64_t bytes);

  Extension* extension() const { return extension_; }
  rfb::MsgHandler* connection() const { return connection_; }
  uint32_t shareId() const { return shareId_; }
  uint32_t shareFlags() const { return shareFlags_; }
  ShareState shareState() const { return state; }
  const ManagedVector<ShareEntry>& listing() const { return listing_; }

private:
  struct Request {
    plat::String relName;
    uint64_t start;
    uint64_t end;
  };

  MsgWriter* writer();
  // Writes an abort now, or queues it when there is no room.
  void abortNow(const FileId& id);
  // Logs and returns why a download that brought the wrong size fails.
  static plat::String sizeMismatch(const FileId& id, const Stream* stream);
  // Removes the stream and its pending request, then closes it.
  void removeAndClose(std::map<FileId, Stream*>::iterator it, const char* message);

  // Empties the listing.
  void clearListing();

  ManagedVector<ShareEntry> listing_;
  uint64_t listingBytes_;
  uint32_t shareId_;
  uint32_t shareFlags_;
  // The release queue may be filled from other threads (a share's last
  // reference goes anywhere); the lock of both queues is held only around
  // the queue itself, never while calling out.
  plat::Mutex queueLock;
  std::set<uint32_t> releases;
  std::set<FileId> aborts;
  // Guards the requests and the stream registry; held while streams are
  // written to and closed.
  plat::Mutex lock;
  std::map<FileId, Request> requests;
  std::map<FileId, Stream*> streams;
  uint64_t bytesReceived_ = 0;
  ShareState state;
  Extension* extension_;
  rfb::MsgHandler* connection_;
};

} // namespace ft
