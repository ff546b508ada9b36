// One downloaded file written into the local file system: the sink
// (DownloadManager::Stream) that the share downloader registers for each
// file it saves.
//
// Data goes to the file in the order it came, in writes of up to 64 KiB:
// received pieces are gathered in a ring buffer and written together once
// 64 KiB are held, when the file ends, or at endOfBatch (before the thread
// waits). Held pieces leave the window as it was: renewals follow the
// writes. While paused (the user
// paused the download, or a write failed) arriving data is held in the ring
// and the window stays shut, so the other end sends nothing more; after a
// resume the held data reaches the file first, in order. A close that
// arrives while paused waits until the ring is drained.
//
// The file is created exclusively (an existing file is never touched). A
// download that fails or is cancelled deletes its partial file; the peer's
// attributes (read-only, hidden, ...) are applied only to a complete file,
// so a partial one can always be deleted. Main thread only.
#pragma once

#include "ft/DownloadManager.h"
#include "ft/ShareEntry.h"
#include "plat/String.h"
#include "plat/win/StdioFile.h"
#include "rdr/CircularInStream.h"

#include <cstdint>

namespace ft {

class FileStream : public DownloadManager::Stream {
public:
  // The share downloader.
  class Callback {
  public:
    virtual ~Callback() {}
    // This many bytes of the file are on the disk now.
    virtual void progress(FileStream* stream, uint64_t bytesOnDisk) = 0;
    // Writing failed; the bytes stay buffered until a resume.
    virtual void writeError(FileStream* stream, const char* message) = 0;
    // The file arrived completely. The stream is deleted afterwards.
    virtual void fileDone(FileStream* stream) = 0;
    // The download ended with an error; the partial file is gone. The stream
    // is deleted afterwards.
    virtual void fileFailed(FileStream* stream, const char* message) = 0;
  };

  // Creates the file, which must not exist: plat::SystemException "open"
  // otherwise. The entry's attributes are applied when the file completes.
  FileStream(const char* path, const ShareEntry& entry, Callback* callback);
  ~FileStream() override;

  // 0 while paused, else the bytes taken plus the ring's room.
  uint64_t window() override;
  // Throws rdr::CircularInStream::Overflow when more arrives than the
  // window allowed. Small pieces wait in the ring for endOfBatch (or for
  // enough to follow), and reach the file in one write.
  void write(const uint8_t* data, int length) override;
  void endOfBatch() override;
  // Deletes the stream (at once, or after the drain that follows a resume).
  // Called from within the stream's own report of a write error, it runs
  // when that write has returned.
  void close(const char* message) override;

  // Writes what the ring holds. False when not all of it could be written
  // (paused, or a write failed) or when a deferred close ran and the stream
  // is gone.
  bool drain();
  // The stream was never registered: delete the file and the stream,
  // telling nobody.
  void discard();

  const char* path() const { return path_.c_str(); }
  // The download manager has closed it while paused: the close waits for
  // the next drain.
  bool closePending() const { return closing; }

  bool paused;

private:
  // Bytes written, fewer than length when paused or when the write failed.
  int writeToFile(const uint8_t* data, int length);
  bool ringEmpty();
  // A close with a reason of failure waits.
  bool closeFails() const;

  Callback* callback;
  plat::String path_;
  plat::FileDescriptor file;
  rdr::CircularInStream ring;
  int holdLimit;     // at most this much waits in the ring for a larger write
  uint64_t accepted; // every byte passed to write
  uint64_t onDisk;
  uint32_t attributes; // the peer's Windows attribute word
  bool closing;
  plat::String pendingMessage;
  bool writing; // inside writeToFile, whose callbacks may close the stream
};

// Applies the entry's Windows attributes to a file or directory; throws
// plat::SystemException "setAttributes".
void setAttributes(const char* path, const ShareEntry& entry);

} // namespace ft
