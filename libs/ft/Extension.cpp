#include "ft/Extension.h"

#include "ft/ConnectionManager.h"
#include "ft/DownloadManager.h"
#include "ft/MsgReader.h"
#include "ft/MsgWriter.h"
#include "ft/Parameters.h"
#include "ft/ShareEntry.h"
#include "ft/ShareProxy.h"
#include "ft/UploadManager.h"
#include "plat/Assert.h"
#include "plat/LogWriter.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

namespace ft {

namespace {

plat::LogWriter vlog("ftExtension");

} // namespace

Extension::Extension()
    : connectionManager(nullptr), currentShare(nullptr), ownThread(std::this_thread::get_id()),
      waker(nullptr), closer(nullptr) {}

Extension::~Extension() {
  while (!connections.empty())
    removeConnection(connections.begin()->first);
}

Extension::Connection* Extension::find(rfb::MsgHandler* connection) {
  auto it = connections.find(connection);
  return it == connections.end() ? nullptr : &it->second;
}

// Connection life

void Extension::extensionEnabled(rfb::MsgHandler* connection, const char* extensionName) {
  if (strcmp(extensionName, name()) == 0)
    addConnection(connection);
}

void Extension::extensionDisabled(rfb::MsgHandler* connection, const char* extensionName) {
  if (strcmp(extensionName, name()) != 0)
    return;
  plat::Lock l(callbackLock);
  if (Connection* c = find(connection)) {
    c->reader->resetInflate();
    c->writer->resetDeflate();
  }
  removeConnection(connection);
}

void Extension::connectionClosed(rfb::MsgHandler* connection) {
  removeConnection(connection);
}

void Extension::addConnection(rfb::MsgHandler* connection) {
  Connection& c = connections[connection];
  if (!c.reader)
    c.reader.reset(new MsgReader(connection, this));
  if (!c.writer)
    c.writer.reset(new MsgWriter(connection));
}

void Extension::removeConnection(rfb::MsgHandler* connection) {
  auto it = connections.find(connection);
  if (it == connections.end())
    return;
  Connection& c = it->second;
  // A write cycle that runs while the sides go (a sink closed as the
  // download manager goes may ask for one) finds neither.
  UploadManager* upload = c.upload;
  DownloadManager* download = c.download;
  c.upload = nullptr;
  c.download = nullptr;
  if (upload) {
    upload->connectionGone(connection);
    upload->stopAllUploads(connection);
  }
  if (connectionManager)
    connectionManager->releaseConnection(upload, download);
  connections.erase(connection);
}

DownloadManager* Extension::downloadManagerFor(rfb::MsgHandler* connection) {
  Connection* c = find(connection);
  if (!c)
    return nullptr;
  if (!c->download && connectionManager)
    c->download = connectionManager->createDownloadManager(this, connection);
  return c->download;
}

UploadManager* Extension::uploadManagerFor(rfb::MsgHandler* connection) {
  Connection* c = find(connection);
  if (!c)
    return nullptr;
  if (!c->upload && connectionManager)
    c->upload = connectionManager->uploadManagerFor(this, connection);
  return c->upload;
}

MsgWriter* Extension::msgWriter(rfb::MsgHandler* connection) {
  auto cit = connections.find(connection);
  PLAT_ASSERT(cit != connections.end());
  return cit->second.writer.get();
}

// Reading and writing

bool Extension::readMsg(rdr::InStream& in, rfb::MsgHandler* connection) {
  Connection* c = find(connection);
  if (!c)
    throw plat::Exception("readMsg: unknown connection");
  return c->reader->readMsg(in);
}

void Extension::scheduleWriteMsg(rfb::MsgHandler* connection) {
  Connection* c = find(connection);
  if (!c)
    throw plat::Exception("scheduleWriteMsg: unknown connection");
  if (c->reading || (!prioritiseFileTransfer && c->writePending))
    return;
  writeMsgs(connection);
}

Extension::ReadingBatch::ReadingBatch(Extension* extension_, rfb::MsgHandler* connection_)
    : extension(extension_), connection(connection_) {
  if (Connection* c = extension->find(connection)) {
    c->reading = true;
    if (c->download)
      c->bytesRenewed = c->download->bytesReceived();
  }
}

Extension::ReadingBatch::~ReadingBatch() {
  // The batch may have ended the connection.
  if (Connection* c = extension->find(connection))
    c->reading = false;
}

void Extension::writeMsgs(rfb::MsgHandler* connection) {
  Connection* c = find(connection);
  if (!c || c->writer->isShut())
    return;
  bool pending = false;
  try {
    if (DownloadManager* download = c->download) {
      // Every step runs, whatever the one before it found.
      pending |= download->flushAborts();
      pending |= download->flushReleaseShares();
      pending |= download->flushReqShare();
      pending |= download->flushFileRequests();
      // The releases those requests held back.
      pending |= download->flushReleaseShares();
      pending |= download->flushByteLimits();
    }
    if (UploadManager* upload = c->upload) {
      if (upload->withdrawalsPending(connection)) {
        upload->sendWithdrawals(connection);
        pending = true;
      }
      if (upload->listingPending(connection)) {
        upload->sendShareEntries(connection);
        pending = true;
      }
      if (upload->uploadsPending(connection))
        pending |= upload->pumpUploads(connection);
    }
  } catch (const plat::Exception& e) {
    failConnection(connection, e.str());
    return;
  } catch (const std::exception& e) {
    failConnection(connection, e.what());
    return;
  }
  // The step may have removed the connection (a writer that failed).
  if ((c = find(connection)))
    c->writePending = pending;
}

void Extension::endOfBatch(rfb::MsgHandler* connection) {
  Connection* c = find(connection);
  if (c && c->download)
    c->download->endOfBatch();
}

void Extension::failConnection(rfb::MsgHandler* connection, const char* reason) {
  vlog.error("Write cycle failed, closing the connection: %s", reason);
  if (Connection* c = find(connection)) {
    c->writer->shut();
    c->writePending = false;
  }
  if (closer)
    closer->closeConnection(connection);
}

bool Extension::writesPending(rfb::MsgHandler* connection) {
  Connection* c = find(connection);
  return c && c->writePending;
}

bool Extension::writeEarly(rfb::MsgHandler* connection) {
  Connection* c = find(connection);
  if (!c || !c->download || c->writer->isShut())
    return false;
  DownloadManager* download = c->download;
  size_t due = (size_t)std::max(1, downloadConcurrency() / 2);
  bool renew =
      download->bytesReceived() - c->bytesRenewed >= (uint64_t)fileTransferBufferBytes() / 2;
  if (renew)
    c->bytesRenewed = download->bytesReceived();
  bool leave = false;
  try {
    if (download->requestsWaiting() >= due)
      leave |= download->flushFileRequests();
    if (renew)
      leave |= download->flushByteLimits();
  } catch (const plat::Exception& e) {
    failConnection(connection, e.str());
    return false;
  }
  return leave;
}

void Extension::requestWriteCycle(rfb::MsgHandler* connection) {
  // While a batch of the connection's input is read, the cycle that follows
  // the batch writes it: no need to wake the thread for another.
  if (onOwnThread()) {
    Connection* c = find(connection);
    if (c && c->reading)
      return;
  }
  plat::Lock l(requestLock);
  if (!waker) {
    // On its own thread the connection's next write cycle runs anyway.
    if (!onOwnThread())
      vlog.error("write requested from another thread, but nothing wakes the connection's thread");
    return;
  }
  requestedWrites.insert(connection);
  waker->wake();
}

void Extension::runRequestedWrites() {
  std::set<rfb::MsgHandler*> requested;
  {
    plat::Lock l(requestLock);
    requested.swap(requestedWrites);
  }
  // A connection that went away meanwhile is simply not found.
  for (rfb::MsgHandler* connection : requested) {
    if (find(connection))
      scheduleWriteMsg(connection);
  }
}

bool Extension::writesRequested() {
  plat::Lock l(requestLock);
  return !requestedWrites.empty();
}

void Extension::setWaker(Waker* waker_) {
  plat::Lock l(requestLock);
  waker = waker_;
}

// Message handlers

void Extension::shareCtrl(rfb::MsgHandler* connection, uint32_t shareId, uint8_t code,
                          uint32_t flags) {
  if (!acceptMsg(connection))
    return;
  switch (code) {
  case 0: {
    DownloadManager* download = downloadManagerFor(connection);
    if (!download)
      return;
    vlog.info("Received advertisement for share %lu", (unsigned long)shareId);
    download->setShare(shareId, flags);
    {
      plat::Lock l(callbackLock);
      for (ShareCallback* callback : callbacks)
        callback->sharePending(shareId, flags);
    }
    scheduleWriteMsg(connection);
    break;
  }
  case 1: {
    DownloadManager* download = downloadManagerFor(connection);
    if (!download)
      return;
    vlog.info("Received withdrawal for share %lu", (unsigned long)shareId);
    download->filesWithdrawn(shareId);
    break;
  }
  default:
    vlog.error("Unexpected share control code: %i", code);
    break;
  }
}

void Extension::reqShare(rfb::MsgHandler* connection, uint32_t shareId, const char* relName,
                         uint32_t depth) {
  if (!acceptMsg(connection))
    return;
  vlog.info("directory '%s' of share %lu requested to depth %lu", relName,
            (unsigned long)shareId, (unsigned long)depth);
  UploadManager* upload = uploadManagerFor(connection);
  if (!upload)
    return;
  upload->shareRequested(connection, shareId, relName, depth);
  scheduleWriteMsg(connection);
}

void Extension::shareDataEOF(rfb::MsgHandler* connection, uint32_t shareId) {
  if (!acceptMsg(connection))
    return;
  vlog.info("Received share EOF");
  if (DownloadManager* download = downloadManagerFor(connection))
    download->ready(shareId);
}

void Extension::shareEntry(rfb::MsgHandler* connection, uint32_t shareId, ShareEntry* entry) {
  std::unique_ptr<ShareEntry> owned(entry);
  if (!acceptMsg(connection))
    return;
  vlog.debug("  %s %s, size=%i", entry->flags & ShareEntry::Directory ? "directory" : "file",
             entry->name.c_str(), (int)entry->size);
  if (DownloadManager* download = downloadManagerFor(connection))
    download->addShareEntry(shareId, owned.release());
}

void Extension::reqFile(rfb::MsgHandler* connection, const char* path, const FileId& fileId,
                        uint64_t upTo, uint64_t start, uint64_t end, uint8_t flags) {
  if (!acceptMsg(connection))
    return;
  vlog.debug("%llu-%llu of %s requested (%scompressed)", (unsigned long long)start,
            (unsigned long long)end, path, flags & 1 ? "" : "un");
  UploadManager* upload = uploadManagerFor(connection);
  if (!upload)
    return;
  upload->fileRequested(connection, path, fileId, upTo, start, end, flags);
  scheduleWriteMsg(connection);
}

void Extension::updateByteLimit(rfb::MsgHandler* connection, const FileId& fileId,
                                uint64_t upTo) {
  if (!acceptMsg(connection))
    return;
  UploadManager* upload = uploadManagerFor(connection);
  if (!upload)
    return;
  upload->renewUpload(connection, fileId, upTo);
  scheduleWriteMsg(connection);
}

void Extension::fileData(rfb::MsgHandler* connection, const FileId& fileId, const uint8_t* data,
                         int length) {
  if (!acceptMsg(connection))
    return;
  if (DownloadManager* download = downloadManagerFor(connection))
    download->dataReceived(fileId, data, length);
}

void Extension::fileEOF(rfb::MsgHandler* connection, const FileId& fileId) {
  fileData(connection, fileId, nullptr, 0);
}

void Extension::fileError(rfb::MsgHandler* connection, const FileId& fileId,
                          const char* message) {
  if (!acceptMsg(connection))
    return;
  vlog.info("Source aborting (%lu,%lu): %s", (unsigned long)fileId.shareId,
            (unsigned long)fileId.fileNumber, message);
  if (DownloadManager* download = downloadManagerFor(connection))
    download->fileError(fileId, message);
}

void Extension::abortFile(rfb::MsgHandler* connection, const FileId& fileId) {
  if (!acceptMsg(connection))
    return;
  vlog.info("Sink aborting (%lu,%lu)", (unsigned long)fileId.shareId,
            (unsigned long)fileId.fileNumber);
  if (UploadManager* upload = uploadManagerFor(connection))
    upload->stopUpload(connection, fileId);
}

void Extension::releaseShare(rfb::MsgHandler* connection, uint32_t shareId) {
  if (!acceptMsg(connection))
    return;
  vlog.debug("Remote releasing %lu", (unsigned long)shareId);
  if (UploadManager* upload = uploadManagerFor(connection))
    upload->releaseShare(connection, shareId);
}

// Shares

void Extension::addShareCallback(ShareCallback* callback) {
  plat::Lock l(callbackLock);
  callbacks.insert(callback);
}

void Extension::removeShareCallback(ShareCallback* callback) {
  plat::Lock l(callbackLock);
  callbacks.erase(callback);
}

void Extension::setCurrentShare(ShareProxy* share) {
  ShareProxy* old;
  {
    plat::Lock l(shareLock_);
    old = currentShare;
    currentShare = share;
    if (share)
      liveShares.insert(share);
  }
  {
    plat::Lock l(callbackLock);
    for (ShareCallback* callback : callbacks) {
      if (old)
        callback->shareWithdrawn(old);
      if (share)
        callback->shareReady(share);
    }
  }
  if (old)
    old->release();
}

ShareProxy* Extension::getCurrentShare() {
  plat::Lock l(shareLock_);
  if (currentShare)
    currentShare->addRef();
  return currentShare;
}

void Extension::shareGone(ShareProxy* share) {
  plat::Lock l(shareLock_);
  if (currentShare == share)
    currentShare = nullptr;
  liveShares.erase(share);
}

void Extension::forEachShare(DownloadManager* owner, ShareIteratorCallback* visitor) {
  plat::Lock l(shareLock_);
  std::set<ShareProxy*> shares = liveShares;
  for (ShareProxy* share : shares) {
    if (share->owner() == owner)
      visitor->visit(share);
  }
}

void Extension::orphanShares(DownloadManager* manager) {
  plat::Lock l(shareLock_);
  bool wasCurrent = currentShare && currentShare->owner() == manager;
  for (ShareProxy* share : liveShares) {
    if (share->owner() == manager)
      share->clearOwner();
  }
  if (wasCurrent)
    setCurrentShare(nullptr);
}

void Extension::refreshUploads(UploadManager* manager) {
  std::vector<rfb::MsgHandler*> served;
  for (auto& entry : connections) {
    if (entry.second.upload == manager)
      served.push_back(entry.first);
  }
  for (rfb::MsgHandler* connection : served)
    manager->connectionReady(connection);
}

} // namespace ft
