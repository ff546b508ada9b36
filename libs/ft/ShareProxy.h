// A remote share whose listing is complete: an immutable copy of the
// listing, reference-counted so that the clipboard, the share downloader
// and the downloads view can keep it while they need it. The other end is
// told once that the share is released: by whoever is done with it first
// (tellReleased), else when the last reference goes.
//
// References may be taken and dropped on any thread (one process-wide lock
// guards every count). Telling the other end only queues the release
// message and asks for a write cycle: the message is written by that
// cycle, on the extension's own thread.
#pragma once

#include "ft/ManagedVector.h"
#include "ft/ShareEntry.h"
#include "plat/String.h"

#include <cstdint>

namespace ft {

class DownloadManager;
class Extension;

class ShareProxy : public ManagedVector<ShareEntry> {
public:
  // Copies the manager's listing, with one reference, and becomes the
  // extension's current share (which takes over that reference).
  explicit ShareProxy(DownloadManager* manager);

  void addRef();
  // Deletes the share when the last reference goes.
  void release();
  // The other end may free the share: queues the release for the
  // connection's write cycle, the first time only. Any thread.
  void tellReleased();

  // "name (size in n files)"; made on first use and kept.
  const char* description();

  uint32_t shareId() const { return shareId_; }
  uint32_t flags() const { return flags_; }
  Extension* extension() const { return extension_; }
  // The download manager of the connection it came from; null once that
  // connection is gone. Read and cleared under the extension's share lock.
  DownloadManager* owner() const { return owner_; }
  void clearOwner() { owner_ = nullptr; }

protected:
  ~ShareProxy() override;

private:
  DownloadManager* owner_;
  Extension* extension_;
  uint32_t flags_;
  uint32_t shareId_;
  int refCount;
  // The release is queued; under the extension's share lock.
  bool told_;
  plat::String description_;
};

} // namespace ft
