// The file-transfer engine on its connections. One record per connection
// (message reader and writer, download side, upload side, whether writes
// are pending); every received message becomes a call on the connection's
// download manager or on the upload manager; every write on a connection
// happens in its write cycle, in a fixed order. It also holds the one
// current remote share, which the share callbacks are told about.
//
// Everything runs on the thread that made the extension (the main thread),
// except: share callbacks may be added and removed, the current share taken
// and shares released on any thread (the callback lock and the share lock),
// and requestWriteCycle may be called from any thread.
#pragma once

#include "ft/PduHandler.h"
#include "plat/Mutex.h"
#include "rfb/Extension.h"

#include <map>
#include <memory>
#include <set>
#include <thread>

namespace ft {

class ConnectionManager;
class DownloadManager;
class MsgReader;
class MsgWriter;
class ShareProxy;
class UploadManager;

class Extension : public rfb::Extension, public PduHandler {
public:
  // Told about remote shares; called on the extension's thread with the
  // callback lock held, so a callback must not add or remove callbacks.
  class ShareCallback {
  public:
    virtual ~ShareCallback() {}
    // A share was advertised; its listing follows.
    virtual void sharePending(uint32_t shareId, uint32_t flags) = 0;
    // The share's listing is complete and it is the current share now.
    virtual void shareReady(ShareProxy* share) = 0;
    // The share stops being current.
    virtual void shareWithdrawn(ShareProxy* share) = 0;
  };

  class ShareIteratorCallback {
  public:
    virtual ~ShareIteratorCallback() {}
    virtual void visit(ShareProxy* share) = 0;
  };

  // Wakes the extension's thread, which then calls runRequestedWrites.
  // Called on any thread.
  class Waker {
  public:
    virtual ~Waker() {}
    virtual void wake() = 0;
  };

  // Closes a connection whose output can no longer be trusted: the owner
  // of its socket (the socket server) shuts the socket down, after which
  // the connection is removed as usual.
  class Closer {
  public:
    virtual ~Closer() {}
    virtual void closeConnection(rfb::MsgHandler* connection) = 0;
  };

  Extension();
  // Removes the connections that are left. Shares must be gone first.
  ~Extension() override;

  bool readMsg(rdr::InStream& in, rfb::MsgHandler* connection) override;
  // The write cycle. A cycle that fails (its output may hold part of a
  // message) logs why and closes the connection: nothing more is written
  // on it.
  void writeMsgs(rfb::MsgHandler* connection) override;
  // Whether the connection's last write cycle had more to write.
  bool writesPending(rfb::MsgHandler* connection);
  // Between two messages of a batch: writes what should not wait for the
  // batch's end, and says whether the output should leave now. Held to the
  // batch's end, the two ends would take turns: the next files' requests
  // leave once half as many as may run at once wait, and the windows are
  // renewed after every half a transfer buffer of file data (a batch of
  // deflated data may hold a whole window; one of plain data, about a
  // receive's worth, never gets there and costs no send of its own).
  bool writeEarly(rfb::MsgHandler* connection);
  // The socket server's thread is about to wait (or, without an event loop,
  // it has read what arrived for now): the download side's sinks write
  // what they held back.
  void endOfBatch(rfb::MsgHandler* connection);
  void connectionClosed(rfb::MsgHandler* connection) override;
  void extensionEnabled(rfb::MsgHandler* connection, const char* name) override;
  void extensionDisabled(rfb::MsgHandler* connection, const char* name) override;

  virtual void addConnection(rfb::MsgHandler* connection);
  virtual void removeConnection(rfb::MsgHandler* connection);
  // Asked first by every message handler: false ignores the message.
  virtual bool acceptMsg(rfb::MsgHandler* connection) = 0;
  // Whether file requests on the connection may ask for deflated data.
  virtual bool compressionAllowed(rfb::MsgHandler* connection) = 0;

  void shareCtrl(rfb::MsgHandler* connection, uint32_t shareId, uint8_t code,
                 uint32_t flags) override;
  void reqShare(rfb::MsgHandler* connection, uint32_t shareId, const char* relName,
                uint32_t depth) override;
  void shareDataEOF(rfb::MsgHandler* connection, uint32_t shareId) override;
  void shareEntry(rfb::MsgHandler* connection, uint32_t shareId, ShareEntry* entry) override;
  void reqFile(rfb::MsgHandler* connection, const char* path, const FileId& fileId, uint64_t upTo,
               uint64_t start, uint64_t end, uint8_t flags) override;
  void updateByteLimit(rfb::MsgHandler* connection, const FileId& fileId, uint64_t upTo) override;
  void fileData(rfb::MsgHandler* connection, const FileId& fileId, const uint8_t* data,
                int length) override;
  void fileEOF(rfb::MsgHandler* connection, const FileId& fileId) override;
  void fileError(rfb::MsgHandler* connection, const FileId& fileId, const char* message) override;
  void abortFile(rfb::MsgHandler* connection, const FileId& fileId) override;
  void releaseShare(rfb::MsgHandler* connection, uint32_t shareId) override;

  // Set once, before the first connection.
  void setConnectionManager(ConnectionManager* manager) { connectionManager = manager; }
  // Null for an unknown connection; made through the connection manager
  // on first need.
  DownloadManager* downloadManagerFor(rfb::MsgHandler* connection);
  UploadManager* uploadManagerFor(rfb::MsgHandler* connection);
  // The connection must be known.
  MsgWriter* msgWriter(rfb::MsgHandler* connection);
  // Runs the write cycle now, unless writes are pending already and file
  // transfer is not prioritised (the socket's next writable event runs it),
  // or a batch of the connection's input is being read (the cycle that
  // follows the batch runs it).
  void scheduleWriteMsg(rfb::MsgHandler* connection);

  // Marks the reading of one batch of a connection's input, after which its
  // reader runs a write cycle: the renewals, requests and replies that the
  // batch's messages ask for are written then, together, and not one cycle
  // per message (or per piece of file data) while the batch is read.
  class ReadingBatch {
  public:
    ReadingBatch(Extension* extension, rfb::MsgHandler* connection);
    ReadingBatch(const ReadingBatch&) = delete;
    ReadingBatch& operator=(const ReadingBatch&) = delete;
    ~ReadingBatch();

  private:
    Extension* extension;
    rfb::MsgHandler* connection;
  };

  // On any thread, also from a destructor, a share callback or a sink's
  // report: has the connection's write cycle run on the extension's thread
  // once the waker has woken it (or, while a batch of the connection's input
  // is read, after the batch); it never writes itself. Without a waker, the
  // connection's next write cycle on the extension's thread does.
  void requestWriteCycle(rfb::MsgHandler* connection);
  // On the extension's thread: runs the write cycles requested elsewhere.
  void runRequestedWrites();
  // Whether write cycles wait to be run. Any thread.
  bool writesRequested();
  void setWaker(Waker* waker);
  void setCloser(Closer* closer_) { closer = closer_; }
  bool onOwnThread() const { return std::this_thread::get_id() == ownThread; }

  void addShareCallback(ShareCallback* callback);
  void removeShareCallback(ShareCallback* callback);
  // Takes over one reference of the new share (null: none); the old one is
  // withdrawn on every callback, then the new one is ready, callback by
  // callback.
  void setCurrentShare(ShareProxy* share);
  // One more reference for the caller to release, or null.
  ShareProxy* getCurrentShare();
  // The share is being destroyed.
  void shareGone(ShareProxy* share);
  void forEachShare(DownloadManager* owner, ShareIteratorCallback* visitor);
  // The download manager is going: its shares lose their owner, and the
  // current share goes when it is one of them.
  void orphanShares(DownloadManager* manager);
  // Offers the current local share on every connection of the manager.
  void refreshUploads(UploadManager* manager);

  plat::Mutex& shareLock() { return shareLock_; }

private:
  struct Connection {
    DownloadManager* download = nullptr;
    UploadManager* upload = nullptr;
    std::unique_ptr<MsgReader> reader;
    std::unique_ptr<MsgWriter> writer;
    bool writePending = false;
    bool reading = false;
    // The download side's data counter when its windows were last renewed
    // in a batch.
    uint64_t bytesRenewed = 0;
  };

  Connection* find(rfb::MsgHandler* connection);
  void failConnection(rfb::MsgHandler* connection, const char* reason);

  ConnectionManager* connectionManager;
  std::map<rfb::MsgHandler*, Connection> connections;

  plat::Mutex callbackLock;
  std::set<ShareCallback*> callbacks;

  plat::Mutex shareLock_;
  ShareProxy* currentShare;
  std::set<ShareProxy*> liveShares;

  std::thread::id ownThread;
  plat::Mutex requestLock;
  std::set<rfb::MsgHandler*> requestedWrites;
  Waker* waker;
  Closer* closer;
};

} // namespace ft
