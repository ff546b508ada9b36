#include "ft/win/FileStream.h"

#include "ft/FileAttributes.h"
#include "ft/Parameters.h"
#include "plat/Assert.h"
#include "plat/CallCounter.h"
#include "plat/LogWriter.h"
#include "plat/RaisedFlag.h"
#include "plat/win/File.h"
#include "plat/win/Unicode.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace ft {

static plat::LogWriter vlog("FileStream");
static plat::CallCounter attributeCalls("file.attributes");

namespace {

void applyAttributes(const char* path, uint32_t attributes) {
  plat::WString wpath(path);
  attributeCalls.add();
  if (!SetFileAttributesW(wpath.c_str(), attributes))
    throw plat::SystemException("setAttributes", (int)GetLastError());
}

// The same through the open file, which saves looking its path up again;
// false when the system refuses it that way.
bool applyAttributes(int fd, uint32_t attributes) {
  FILE_BASIC_INFO info = {};
  // 0 would mean "leave them as they are" here, but "normal" by path.
  info.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  attributeCalls.add();
  return SetFileInformationByHandle((HANDLE)_get_osfhandle(fd), FileBasicInfo, &info,
                                    sizeof(info)) != 0;
}

} // namespace

void setAttributes(const char* path, const ShareEntry& entry) {
  applyAttributes(path, FileAttributes::win32Attributes(entry));
}

FileStream::FileStream(const char* path, const ShareEntry& entry, Callback* callback_)
    : paused(false), callback(callback_), path_(path), ring(fileTransferBufferBytes()),
      holdLimit(std::min(65536, fileTransferBufferBytes() / 4)), accepted(0), onDisk(0),
      attributes(FileAttributes::win32Attributes(entry)),
      closing(false), writing(false) {
  PLAT_ASSERT(callback);
  expectedSize = entry.size;
  file.open(path, _O_WRONLY | _O_CREAT | _O_EXCL);
}

FileStream::~FileStream() {}

uint64_t FileStream::window() {
  return paused ? 0 : accepted + (uint64_t)ring.space();
}

bool FileStream::ringEmpty() {
  return !ring.check(false, 1);
}

int FileStream::writeToFile(const uint8_t* data, int length) {
  if (paused)
    return 0;
  int done = 0;
  try {
    while (done < length)
      done += file.write(data + done, length - done);
  } catch (plat::Exception& e) {
    onDisk += done;
    vlog.error("%s", e.str());
    callback->writeError(this, e.str());
    return done;
  }
  onDisk += done;
  callback->progress(this, onDisk);
  return done;
}

bool FileStream::closeFails() const {
  return closing && !pendingMessage.isNull() && *pendingMessage.c_str();
}

bool FileStream::drain() {
  for (;;) {
    bool empty = ringEmpty();
    // A file that failed goes without writing what it still holds.
    if (closing && (empty || closeFails())) {
      plat::String message(pendingMessage);
      close(message.c_str()); // the stream is gone, unless paused
      return false;
    }
    if (empty)
      return true;
    int contiguous = ring.avail();
    if (contiguous == 0)
      plat::assertionFailed("contiguous != 0", __FILE__, __LINE__);
    int written;
    {
      // Down again however the reports within the write end.
      plat::RaisedFlag inWrite(writing);
      written = writeToFile(ring.getptr(), contiguous);
    }
    ring.setptr(ring.getptr() + written);
    ring.checkpoint();
    // Given up from within the write (a write error): closed next round.
    if (written < contiguous && !closeFails())
      return false;
  }
}

void FileStream::write(const uint8_t* data, int length) {
  // Each write of the file is a system call: pieces of a batch wait to go
  // together. Held bytes count as taken, and the window they leave is
  // smaller only by them.
  // Counted first, so that a write cycle run from the progress report sees
  // the window these bytes leave. Behind what is held, a piece goes out
  // with it in one write (or two, where the ring wraps).
  accepted += length;
  ring.write(data, length);
  if (!paused && accepted - onDisk >= (uint64_t)holdLimit)
    drain();
}

void FileStream::endOfBatch() {
  if (!paused)
    drain();
}

void FileStream::close(const char* message) {
  bool failed = message && *message;
  // Held data of a complete file must reach the disk first. A close from
  // within the stream's own write (its owner gives the file up on a write
  // error) runs once that write has returned.
  if (paused || writing || (!failed && !ringEmpty())) {
    closing = true;
    pendingMessage = message;
    if (!paused && !writing)
      drain();
    return;
  }
  if (failed) {
    file.close();
    if (!plat::fileDelete(path_.c_str()))
      vlog.error("Cannot delete %s: error %lu", path_.c_str(), GetLastError());
    callback->fileFailed(this, message);
  } else {
    bool applied = applyAttributes(file.get(), attributes);
    file.close();
    try {
      if (!applied)
        applyAttributes(path_.c_str(), attributes);
    } catch (plat::Exception& e) {
      fprintf(stderr, "setPermissions: %s\n", e.str());
      vlog.error("setPermissions: %s", e.str());
    }
    callback->fileDone(this);
  }
  delete this;
}

void FileStream::discard() {
  file.close();
  plat::fileDelete(path_.c_str());
  delete this;
}

} // namespace ft
