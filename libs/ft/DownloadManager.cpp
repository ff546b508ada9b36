#include "ft/DownloadManager.h"

#include "ft/Extension.h"
#include "ft/FileAttributes.h"
#include "ft/MsgWriter.h"
#include "ft/Parameters.h"
#include "ft/ShareProxy.h"
#include "plat/CurrentTime.h"
#include "plat/LogWriter.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace ft {

namespace {

plat::LogWriter vlog("DownloadManager");

uint64_t listingLimit = (uint64_t)256 << 20;

// What an entry takes in memory, near enough.
uint64_t memoryOf(const ShareEntry& entry) {
  uint64_t bytes = sizeof(ShareEntry) + entry.name.length();
  for (const FileAttributes* block : entry.attributes)
    bytes += sizeof(FileAttributes) + block->size();
  return bytes;
}

} // namespace

DownloadManager::DownloadManager(Extension* extension, rfb::MsgHandler* connection)
    : listingBytes_(0), shareId_(0), shareFlags_(0), state(Idle), extension_(extension),
      connection_(connection) {}

DownloadManager::~DownloadManager() {
  {
    plat::Lock l(lock);
    while (!streams.empty())
      removeAndClose(streams.begin(), "Connection closed");
  }
  // Outside our lock: the extension takes its share lock, and a share
  // released on another thread takes that lock before ours.
  extension_->orphanShares(this);
}

MsgWriter* DownloadManager::writer() {
  return extension_->msgWriter(connection_);
}

bool DownloadManager::flushReqShare() {
  if (!connection_)
    return true;
  if (state != ListingWanted)
    return false;
  if (writer()->writeReqShare(shareId_, "", 0))
    state = ListingRequested;
  return true;
}

void DownloadManager::releaseShare(uint32_t shareId) {
  plat::Lock l(queueLock);
  releases.insert(shareId);
}

bool DownloadManager::flushReleaseShares() {
  std::set<uint32_t> queued;
  {
    plat::Lock l(queueLock);
    queued = releases;
  }
  if (!connection_)
    return true;
  // A share's file requests leave before its release: after it, the other
  // end would answer them "File not shared".
  std::set<uint32_t> requested;
  {
    plat::Lock l(lock);
    for (const auto& request : requests)
      requested.insert(request.first.shareId);
  }
  for (uint32_t id : queued) {
    if (requested.count(id))
      continue;
    if (!writer()->writeReleaseShare(id))
      break;
    plat::Lock l(queueLock);
    releases.erase(id);
  }
  return !queued.empty();
}

void DownloadManager::requestFile(const FileId& id, const char* relName, uint64_t start,
                                  uint64_t end) {
  if (!relName || !*relName)
    throw plat::Exception("NULL or empty relName");
  plat::Lock l(lock);
  Request& request = requests[id];
  if (request.relName.isNull() || strcmp(request.relName.c_str(), relName) != 0)
    request.relName = relName;
  request.start = start;
  request.end = end;
}

bool DownloadManager::flushFileRequests() {
  if (!connection_)
    return false;
  plat::Lock l(lock);
  bool written = false;
  while (!requests.empty()) {
    auto request = requests.begin();
    const FileId& id = request->first;
    auto stream = streams.find(id);
    if (stream != streams.end()) {
      uint64_t window = stream->second->window();
      bool compress = extension_->compressionAllowed(connection_);
      if (!writer()->writeReqFile(request->second.relName.c_str(), id, window,
                                  request->second.start, request->second.end, compress ? 1 : 0))
        break;
      // Per file at the detail level: each line logged costs a write of the
      // log file, as much as a small file's own.
      vlog.debug("Requested %s", request->second.relName.c_str());
      vlog.debug("id=(%lu, %lu), start=%llu, end=%llu, window=%llu", (unsigned long)id.shareId,
                 (unsigned long)id.fileNumber, (unsigned long long)request->second.start,
                 (unsigned long long)request->second.end, (unsigned long long)window);
      stream->second->grantedLimit = window;
      written = true;
    }
    requests.erase(request);
  }
  return written;
}

size_t DownloadManager::requestsWaiting() {
  plat::Lock l(lock);
  return requests.size();
}

bool DownloadManager::flushByteLimits() {
  if (!connection_)
    return false;
  plat::Lock l(lock);
  bool result = false;
  for (auto& entry : streams) {
    Stream* stream = entry.second;
    if (requests.count(entry.first))
      continue; // its first window goes out with the request
    int lowWaterMark = fileTransferLWM;
    if (lowWaterMark != -1) {
      uint64_t outstanding = stream->grantedLimit - stream->bytesReceived;
      if (outstanding > (uint64_t)(int64_t)lowWaterMark)
        continue;
    }
    uint64_t window = stream->window();
    if (window <= stream->grantedLimit)
      continue;
    if (!writer()->writeUpdateByteLimit(entry.first, window))
      return true;
    stream->grantedLimit = window;
    result = true;
  }
  return result;
}

bool DownloadManager::flushAborts() {
  std::set<FileId> queued;
  {
    plat::Lock l(queueLock);
    queued = aborts;
  }
  if (!connection_)
    return !queued.empty();
  for (const FileId& id : queued) {
    if (!writer()->writeAbortFile(id))
      break;
    plat::Lock l(queueLock);
    aborts.erase(id);
  }
  return !queued.empty();
}

uint64_t DownloadManager::setListingLimit(uint64_t bytes) {
  uint64_t previous = listingLimit;
  listingLimit = bytes;
  return previous;
}

void DownloadManager::clearListing() {
  listing_.clear();
  listingBytes_ = 0;
}

void DownloadManager::addShareEntry(uint32_t shareId, ShareEntry* entry) {
  std::unique_ptr<ShareEntry> owned(entry);
  // Entries nobody asked for would pile up until the connection ends.
  if (shareId != shareId_ || state != ListingRequested) {
    vlog.debug("Dropped '%s' of share %lu: no listing of it requested", entry->name.c_str(),
               (unsigned long)shareId);
    return;
  }
  listingBytes_ += memoryOf(*entry);
  if (listingBytes_ > listingLimit) {
    vlog.error("The listing of share %lu exceeds %llu bytes after %u entries",
               (unsigned long)shareId, (unsigned long long)listingLimit,
               (unsigned)listing_.size());
    throw plat::ExceptionFmt("Listing of share %lu too large", (unsigned long)shareId);
  }
  listing_.push_back(owned.release());
}

void DownloadManager::setShare(uint32_t shareId, uint32_t flags) {
  if (!connection_ || shareId == shareId_)
    return;
  clearListing();
  shareId_ = shareId;
  shareFlags_ = flags;
  state = shareId != 0 ? ListingWanted : Idle;
  extension_->scheduleWriteMsg(connection_);
}

ShareProxy* DownloadManager::ready(uint32_t sequence) {
  if (sequence != shareId_)
    throw plat::Exception("Bad sequence number in ready");
  // A second end of the listing would hand the share on twice.
  if (state != ListingRequested)
    throw plat::ExceptionFmt("Unexpected end of listing for share %lu", (unsigned long)sequence);
  state = ListingComplete;
  return makeShareProxy();
}

void DownloadManager::filesWithdrawn(uint32_t shareId) {
  ShareProxy* current = extension_->getCurrentShare();
  if (current && current->shareId() == shareId && current->owner() == this)
    clearCurrentShare();
  if (shareId == shareId_) {
    clearListing();
    shareId_ = 0;
    state = Idle;
  }
  {
    plat::Lock l(lock);
    for (auto it = streams.begin(); it != streams.end();) {
      auto here = it++;
      if (here->first.shareId == shareId)
        removeAndClose(here, "Files withdrawn by source");
    }
  }
  if (current)
    current->release();
}

ShareProxy* DownloadManager::makeShareProxy() {
  return new ShareProxy(this);
}

void DownloadManager::clearCurrentShare() {
  extension_->setCurrentShare(nullptr);
}

void DownloadManager::addStream(const FileId& id, Stream* stream) {
  plat::Lock l(lock);
  if (streams.count(id))
    throw plat::Exception("A stream with that id already exists");
  streams[id] = stream;
  stream->startTime = plat::currentTime();
}

void DownloadManager::cancelDownload(const FileId& id) {
  {
    plat::Lock l(queueLock);
    aborts.insert(id);
  }
  closeStream(id, "Download cancelled");
  requestWriteCycle();
}

void DownloadManager::requestWriteCycle() {
  if (connection_)
    extension_->requestWriteCycle(connection_);
}

void DownloadManager::abortNow(const FileId& id) {
  if (writer()->writeAbortFile(id))
    return;
  plat::Lock l(queueLock);
  aborts.insert(id);
}

void DownloadManager::dataReceived(const FileId& id, const uint8_t* data, int length) {
  if (!connection_)
    return;
  plat::Lock l(lock);
  auto it = streams.find(id);
  if (it == streams.end()) {
    vlog.debug("Data received for unknown id (%lu, %lu)", (unsigned long)id.shareId,
               (unsigned long)id.fileNumber);
    return;
  }
  Stream* stream = it->second;
  // Why the download failed; empty when the sink gave it up itself.
  plat::String failure("");
  bool stopped = false;
  if (length > 0) {
    // Counted first: a sink may ask for a write cycle from inside write,
    // and that cycle's renewal must see these bytes as arrived.
    stream->bytesReceived += length;
    bytesReceived_ += length;
    if (stream->bytesReceived > stream->expectedSize) {
      failure = sizeMismatch(id, stream);
      stopped = true;
    } else {
      try {
        stream->write(data, length);
      } catch (Stream::CancelledException& e) {
        vlog.debug("dataReady: %s", e.str());
        stopped = true;
      } catch (plat::Exception& e) {
        vlog.error("dataReady: %s", e.str());
        failure = e.str();
        stopped = true;
      }
    }
    if (!stopped)
      return;
    abortNow(id);
    // The sink may have been closed meanwhile.
    it = streams.find(id);
    if (it == streams.end())
      return;
  } else if (stream->expectedSize != Stream::UnknownSize &&
             stream->bytesReceived != stream->expectedSize) {
    failure = sizeMismatch(id, stream);
  }

  int64_t elapsed = (plat::currentTime() - stream->startTime) / plat::TimeUnitsPerMs;
  if (*failure.c_str())
    vlog.info("Download failed.");
  else
    vlog.debug("Download %s.", stopped ? "cancelled" : "complete");
  vlog.debug("%u bytes transferred in %ums. %u bytes/second", (unsigned)stream->bytesReceived,
             (unsigned)elapsed,
             (unsigned)(stream->bytesReceived * 1000 / (uint64_t)(elapsed > 1 ? elapsed : 1)));
  closeStream(id, failure.c_str());
}

void DownloadManager::endOfBatch() {
  plat::Lock l(lock);
  // A sink's writing may end downloads: each is looked up again.
  std::vector<FileId> ids;
  for (const auto& entry : streams)
    ids.push_back(entry.first);
  for (const FileId& id : ids) {
    auto it = streams.find(id);
    if (it != streams.end())
      it->second->endOfBatch();
  }
}

plat::String DownloadManager::sizeMismatch(const FileId& id, const Stream* stream) {
  char text[96];
  snprintf(text, sizeof(text), "Size mismatch: %llu bytes received, %llu expected",
           (unsigned long long)stream->bytesReceived, (unsigned long long)stream->expectedSize);
  vlog.error("(%lu, %lu): %s", (unsigned long)id.shareId, (unsigned long)id.fileNumber, text);
  return plat::String(text);
}

void DownloadManager::fileError(const FileId& id, const char* message) {
  // An empty text would close the sink as a success.
  if (!message || !*message)
    message = "File error without a reason";
  plat::Lock l(lock);
  closeStream(id, message);
}

bool DownloadManager::closeStream(const FileId& id, const char* message) {
  plat::Lock l(lock);
  auto it = streams.find(id);
  if (it == streams.end())
    return false;
  removeAndClose(it, message);
  return true;
}

void DownloadManager::removeAndClose(std::map<FileId, Stream*>::iterator it,
                                     const char* message) {
  Stream* stream = it->second;
  requests.erase(it->first);
  streams.erase(it);
  stream->close(message);
}

} // namespace ft
