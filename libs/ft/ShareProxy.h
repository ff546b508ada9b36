// A remote share whose listing is complete: an immutable copy of the
// listing, reference-counted so that the clipboard, the share downloader
// and the downloads view can keep it while they need it. When the last
// reference goes, the other end is told that the share is released.
//
// References may be taken and dropped on any thread (one process-wide lock
// guards every count). The last release only queues the release message
// and asks for a write cycle: the message is written by that cycle, on the
// extension's own thread.
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
  plat::String description_;
};

} // namespace ft
