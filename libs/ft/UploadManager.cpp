#include "ft/UploadManager.h"

#include "ft/Extension.h"
#include "ft/MsgWriter.h"
#include "ft/PartialShareEnum.h"
#include "plat/LogWriter.h"
#include "rdr/Exception.h"
#include "rdr/InStream.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace ft {

namespace {

plat::LogWriter vlog("UploadManager");

// Upload pausing and resuming: too frequent for the detail level.
const int LevelPausing = 101;

// One byte of the generator.
uint32_t randomByte() {
  return (uint32_t)rand() & 0xFF;
}

uint32_t firstShareId() {
  static bool seeded = false;
  if (!seeded) {
    srand((unsigned)time(nullptr));
    seeded = true;
  }
  uint32_t id;
  do {
    uint32_t first = randomByte();
    uint32_t second = randomByte();
    uint32_t third = randomByte();
    uint32_t fourth = randomByte();
    id = third << 24 | first << 16 | second << 8 | fourth;
  } while (id == 0);
  return id;
}

} // namespace

UploadManager::UploadManager(Extension* extension_)
    : shareIdCounter(firstShareId()), extension(extension_), currentShare(0),
      listComplete_(true) {}

UploadManager::~UploadManager() {}

MsgWriter* UploadManager::writer(rfb::MsgHandler* connection) {
  return extension->msgWriter(connection);
}

UploadManager::ShareRecord* UploadManager::currentRecord() {
  auto it = history.find(currentShare);
  return it == history.end() ? nullptr : it->second.get();
}

// Shares

uint32_t UploadManager::newShare(uint32_t shareId, uint32_t flags) {
  if (shareId == 0) {
    shareId = shareIdCounter;
    shareIdCounter = shareId == 0xFFFFFFFF ? 1 : shareId + 1;
  }
  plat::Lock l(lock);
  currentShare = shareId;
  for (auto it = history.begin(); it != history.end();) {
    if (it->second->connections.empty())
      it = history.erase(it);
    else
      ++it;
  }
  history[shareId].reset(new ShareRecord);
  history[shareId]->flags = flags;
  listings.clear();
  listComplete_ = false;
  return shareId;
}

void UploadManager::addFile(FileProxy* file) {
  std::unique_ptr<FileProxy> owned(file);
  plat::Lock l(lock);
  ShareRecord* record = currentRecord();
  if (!record) {
    vlog.error("No current share to add %s to", file->name.c_str());
    return;
  }
  // In both or in neither: a file freed behind a name would be read when
  // the name is requested.
  record->entries.push_back(file);
  try {
    record->byName.emplace(file->name.c_str(), file);
  } catch (...) {
    record->entries.pop_back();
    throw;
  }
  owned.release();
}

void UploadManager::abandonShare() {
  plat::Lock l(lock);
  history.erase(currentShare);
  currentShare = 0;
  listComplete_ = true;
}

void UploadManager::listComplete() {
  listComplete_ = true;
}

void UploadManager::connectionReady(rfb::MsgHandler* connection) {
  {
    plat::Lock l(lock);
    Listing& listing = listings[connection];
    listing.state = AdvertisementDue;
    listing.shareId = currentShare;
    listing.relName = "";
    listing.depth = 0;
    listing.scanned = 0;
  }
  sendShareEntries(connection);
}

bool UploadManager::shareRequested(rfb::MsgHandler* connection, uint32_t shareId,
                                   const char* relName, uint32_t depth) {
  plat::Lock l(lock);
  if (shareId != currentShare) {
    vlog.warning("Request for share %i refused", (int)shareId);
    return false;
  }
  auto it = listings.find(connection);
  if (it == listings.end()) {
    vlog.error("Request from unknown connection");
    return false;
  }
  Listing& listing = it->second;
  if (listing.state != Advertised) {
    vlog.error("Share request in unexpected state %i", (int)listing.state);
    return false;
  }
  listing.state = ListingRequested;
  listing.relName = relName ? relName : "";
  listing.depth = depth;
  listing.scanned = 0;
  return true;
}

bool UploadManager::listingPending(rfb::MsgHandler* connection) {
  plat::Lock l(lock);
  auto it = listings.find(connection);
  if (it == listings.end() || it->second.state == Advertised)
    return false;
  // The advertisement is due until it is written.
  if (it->second.state == AdvertisementDue || listComplete_)
    return true;
  auto record = history.find(it->second.shareId);
  size_t count = record == history.end() ? 0 : record->second->entries.size();
  return it->second.scanned < count;
}

void UploadManager::sendShareEntries(rfb::MsgHandler* connection) {
  plat::Lock l(lock);
  auto it = listings.find(connection);
  if (it == listings.end()) {
    vlog.error("Share uploaded or not pending");
    return;
  }
  Listing& listing = it->second;
  auto found = history.find(listing.shareId);
  if (found == history.end()) {
    // Released by every connection that had it: nothing left to offer.
    vlog.error("Share %lu is gone; not offered", (unsigned long)listing.shareId);
    listings.erase(it);
    return;
  }
  ShareRecord* record = found->second.get();
  switch (listing.state) {
  case AdvertisementDue:
    if (writer(connection)->writeShareCtrl(listing.shareId, 0, record->flags)) {
      listing.state = Advertised;
      record->connections.insert(connection);
    }
    break;
  case Advertised:
    vlog.error("File list not yet requested");
    break;
  case ListingRequested: {
    size_t count = record->entries.size();
    vlog.debug("Upload %i share entries (%smore pending)", (int)(count - listing.scanned),
               listComplete_ ? "no " : "");
    if (listing.scanned < count) {
      PartialShareEnum entries(record->entries, listing.scanned, listing.relName.c_str(),
                               listing.depth);
      writer(connection)->writeShareData(listing.shareId, entries);
      listing.scanned = entries.position();
    }
    if (listComplete_ && listing.scanned == count &&
        writer(connection)->writeShareDataEOF(listing.shareId))
      listing.state = Advertised;
    break;
  }
  }
}

bool UploadManager::dropConnection(rfb::MsgHandler* connection, uint32_t shareId) {
  auto it = history.find(shareId);
  if (it == history.end()) {
    vlog.debug("Ignoring unknown history sequence number %lu", (unsigned long)shareId);
    return false;
  }
  it->second->connections.erase(connection);
  if (!it->second->connections.empty())
    return false;
  history.erase(it);
  return true;
}

void UploadManager::withdrawShare(rfb::MsgHandler* connection, uint32_t shareId) {
  {
    plat::Lock l(lock);
    dropConnection(connection, shareId);
    listings.erase(connection);
    withdrawals[connection].insert(shareId);
  }
  sendWithdrawals(connection);
}

bool UploadManager::withdrawalsPending(rfb::MsgHandler* connection) {
  plat::Lock l(lock);
  auto it = withdrawals.find(connection);
  return it != withdrawals.end() && !it->second.empty();
}

void UploadManager::sendWithdrawals(rfb::MsgHandler* connection) {
  plat::Lock l(lock);
  auto it = withdrawals.find(connection);
  if (it == withdrawals.end()) {
    vlog.error("Share withdrawal not pending");
    return;
  }
  std::set<uint32_t>& due = it->second;
  while (!due.empty()) {
    if (!writer(connection)->writeShareCtrl(*due.begin(), 1, 0))
      break;
    due.erase(due.begin());
  }
  if (due.empty())
    withdrawals.erase(it);
}

bool UploadManager::releaseShare(rfb::MsgHandler* connection, uint32_t shareId) {
  plat::Lock l(lock);
  return dropConnection(connection, shareId);
}

void UploadManager::connectionGone(rfb::MsgHandler* connection) {
  plat::Lock l(lock);
  std::vector<uint32_t> ids;
  for (auto& entry : history)
    ids.push_back(entry.first);
  for (uint32_t id : ids)
    dropConnection(connection, id);
  listings.erase(connection);
  // A later connection at the same address must not inherit them.
  withdrawals.erase(connection);
}

// Uploads

UploadManager::Upload* UploadManager::findUpload(rfb::MsgHandler* connection,
                                                 const FileId& fileId) {
  auto it = uploads.find(connection);
  if (it == uploads.end())
    return nullptr;
  for (auto& upload : it->second) {
    if (upload->fileId == fileId)
      return upload.get();
  }
  return nullptr;
}

int UploadManager::openUploads(rfb::MsgHandler* connection) {
  auto it = uploads.find(connection);
  int open = 0;
  if (it != uploads.end()) {
    for (auto& upload : it->second)
      open += upload->source != nullptr;
  }
  return open;
}

void UploadManager::addFailedUpload(rfb::MsgHandler* connection, const char* path,
                                    const FileId& fileId, const char* error) {
  std::unique_ptr<Upload> upload(new Upload);
  upload->path = path;
  upload->fileId = fileId;
  upload->position = upload->limit = upload->start = upload->end = upload->size = 0;
  upload->error = error;
  upload->paused = false;
  upload->compression = -1;
  uploads[connection].push_back(std::move(upload));
}

bool UploadManager::fileRequested(rfb::MsgHandler* connection, const char* path,
                                  const FileId& fileId, uint64_t upTo, uint64_t start,
                                  uint64_t end, uint8_t flags) {
  plat::Lock l(lock);
  // One id, one upload: a repeated request replaces the running one.
  if (Upload* running = findUpload(connection, fileId)) {
    vlog.info("Replacing upload of %s", running->path.c_str());
    finishUpload(connection, running);
  }
  if (start > end) {
    // No byte of such a range could ever be sent, nor its end reached.
    char error[96];
    snprintf(error, sizeof(error), "Bad byte range: start %llu beyond end %llu",
             (unsigned long long)start, (unsigned long long)end);
    vlog.error("%s: %s", path, error);
    addFailedUpload(connection, path, fileId, error);
    return false;
  }

  // Requests that are never given room (a zero window) would stay open
  // for ever: without a bound, each holding its buffer and handles.
  if (openUploads(connection) >= MaxOpenUploads) {
    char error[96];
    snprintf(error, sizeof(error), "Too many files requested at once (%d at most)",
             MaxOpenUploads);
    vlog.info("%s: %s", path, error);
    addFailedUpload(connection, path, fileId, error);
    return false;
  }

  FileProxy* file = nullptr;
  auto record = history.find(fileId.shareId);
  if (record != history.end()) {
    auto named = record->second->byName.find(path);
    if (named != record->second->byName.end())
      file = named->second;
  }
  if (!file) {
    addFailedUpload(connection, path, fileId, (std::string("File not shared: ") + path).c_str());
    return false;
  }

  vlog.debug("Request received for file %s", path);
  std::unique_ptr<rdr::InStream> source;
  try {
    source.reset(file->open(start, connection, extension));
  } catch (plat::Exception& e) {
    vlog.error("%s", e.str());
    addFailedUpload(connection, path, fileId, e.str());
    return false;
  }
  std::unique_ptr<Upload> upload(new Upload);
  upload->path = path;
  upload->source = std::move(source);
  upload->fileId = fileId;
  upload->position = start;
  upload->limit = upTo < end ? upTo : end;
  upload->start = start;
  upload->end = end;
  upload->size = file->size;
  upload->paused = false;
  upload->compression = flags & 1 ? -1 : 0;
  uploads[connection].push_back(std::move(upload));
  return true;
}

void UploadManager::renewUpload(rfb::MsgHandler* connection, const FileId& fileId,
                                uint64_t upTo) {
  Upload* upload = findUpload(connection, fileId);
  if (!upload) {
    vlog.debug("Renewal request for non-existent upload");
    return;
  }
  if (upTo < upload->position)
    vlog.error("upTo decreased but already sent too much");
  upload->limit = upTo < upload->end ? upTo : upload->end;
}

bool UploadManager::uploadsPending(rfb::MsgHandler* connection) {
  auto it = uploads.find(connection);
  if (it == uploads.end())
    return false;
  for (auto& upload : it->second) {
    if (!upload->source || !upload->error.isNull())
      return true;
    if (!upload->paused && upload->position == upload->limit &&
        upload->position != upload->end) {
      vlog.write(LevelPausing, "upload paused");
      upload->paused = true;
    }
    if (upload->paused && upload->position < upload->limit) {
      vlog.write(LevelPausing, "upload resuming (%i)", (int)(upload->limit - upload->position));
      upload->paused = false;
    }
    if (upload->position == upload->end || upload->position < upload->limit)
      return true;
  }
  return false;
}

bool UploadManager::pumpUploads(rfb::MsgHandler* connection) {
  auto list = uploads.find(connection);
  if (list == uploads.end())
    return false;
  for (auto it = list->second.begin(); it != list->second.end();) {
    Upload* upload = (it++)->get();
    // An upload at its end is pumped until its end of file is out, also
    // when the end coincides with the limit.
    if (upload->source && upload->error.isNull() && upload->position >= upload->limit &&
        upload->position != upload->end)
      continue;
    if (pumpUpload(connection, upload))
      return true;
    // The pump may have finished the last upload, and the list with it.
    if (!uploads.count(connection))
      break;
  }
  return false;
}

bool UploadManager::pumpUpload(rfb::MsgHandler* connection, Upload* upload) {
  MsgWriter* out = writer(connection);
  bool wrote = false;
  uint64_t window = upload->position < upload->limit ? upload->limit - upload->position : 0;
  int maxLen = window < 65535 ? (int)window : 65535;
  if (maxLen > 0 && upload->source && upload->error.isNull()) {
    rdr::InStream& source = *upload->source;
    try {
      if (upload->compression == -1)
        decideCompression(upload, maxLen);
      int consumed = out->writeFileData(upload->fileId, source, maxLen, upload->compression == 1);
      upload->position += consumed;
      wrote = consumed > 0;
    } catch (rdr::EndOfStream&) {
      uint64_t listedEnd = upload->end < upload->size ? upload->end : upload->size;
      if (upload->position < listedEnd) {
        // The file shrank since it was listed: sent as it is, the other
        // end would keep it as complete.
        char error[96];
        snprintf(error, sizeof(error), "File ended after %llu of its %llu bytes",
                 (unsigned long long)upload->position, (unsigned long long)upload->size);
        vlog.error("%s: %s", upload->path.c_str(), error);
        upload->error = error;
      } else {
        // The request reached beyond the file.
        upload->limit = upload->end = upload->position;
      }
    } catch (plat::Exception& e) {
      if (out->isShut())
        throw; // the connection's failure, not the file's
      vlog.error("file read/network write failed: %s", e.str());
      upload->error = e.str();
    }
  }

  bool attempted = false;
  bool lastWritten = false;
  if (!upload->error.isNull()) {
    attempted = true;
    try {
      lastWritten = out->writeFileError(upload->fileId, upload->error.c_str());
    } catch (plat::Exception& e) {
      vlog.error("writeFileError failed: %s", e.str());
      finishUpload(connection, upload);
      return wrote;
    }
    if (lastWritten) {
      wrote = true;
      // Sent once; what may remain to send is the end of the file.
      upload->error = plat::String();
    }
  }
  // An error text still unsent holds the end of the file back: alone, the
  // end would make the other end keep a failed file as a complete one.
  if (upload->error.isNull() && (!upload->source || upload->position == upload->end)) {
    attempted = true;
    try {
      lastWritten = out->writeFileEOF(upload->fileId);
    } catch (plat::Exception& e) {
      vlog.error("writeFileEOF failed: %s", e.str());
      finishUpload(connection, upload);
      return wrote;
    }
    wrote |= lastWritten;
  }
  if (attempted && lastWritten)
    finishUpload(connection, upload);
  return wrote;
}

void UploadManager::decideCompression(Upload* upload, int maxLen) {
  rdr::InStream& source = *upload->source;
  int buffered = source.avail();
  if (buffered == 0 && source.check(false, 1))
    buffered = source.avail();
  if (buffered == 0) {
    upload->compression = 0;
    return;
  }
  int sample = buffered < maxLen ? buffered : maxLen;
  if (sample > 1024)
    sample = 1024;
  upload->compression = MsgWriter::compressesWell(source.getptr(), sample) ? 1 : 0;
}

bool UploadManager::stopUpload(rfb::MsgHandler* connection, const FileId& fileId) {
  Upload* upload = findUpload(connection, fileId);
  if (!upload)
    return false;
  vlog.info("Aborting upload");
  finishUpload(connection, upload);
  return true;
}

void UploadManager::stopAllUploads(rfb::MsgHandler* connection) {
  auto it = uploads.find(connection);
  while (it != uploads.end()) {
    finishUpload(connection, it->second.front().get());
    it = uploads.find(connection);
  }
}

void UploadManager::finishUpload(rfb::MsgHandler* connection, Upload* upload) {
  auto it = uploads.find(connection);
  if (it == uploads.end())
    return;
  it->second.remove_if([upload](const std::unique_ptr<Upload>& u) { return u.get() == upload; });
  if (it->second.empty())
    uploads.erase(it);
}

} // namespace ft
