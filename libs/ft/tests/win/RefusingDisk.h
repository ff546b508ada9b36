// Writes to a file that fail from a moment the test chooses on, as on a
// disk that has filled up. The file's descriptor is swapped for a
// read-only one of the same file: the stream keeps its descriptor, and
// every write through it fails.
#pragma once

#include "ft/win/FileStream.h"
#include "ft/win/ShareDownloader.h"
#include "testing/TempDir.h"

#include <fcntl.h>
#include <io.h>

#include <map>
#include <string>

namespace testing_support {

// The descriptor the next file opened on this thread gets (the lowest free
// one), for a stream about to be made.
inline int nextDescriptor() {
  int fd = _open("NUL", _O_RDONLY);
  _close(fd);
  return fd;
}

// Writes through fd, open on path, fail from now on.
inline void refuseWrites(int fd, const std::string& path) {
  int readOnly = _wopen(wide(path).c_str(), _O_RDONLY | _O_BINARY);
  _dup2(readOnly, fd);
  _close(readOnly);
}

// The share downloader's files, each with its descriptor.
struct RefusingDisk {
  static inline std::map<std::string, int> descriptors;

  RefusingDisk() : create(ft::ShareDownloader::createFile) {
    descriptors.clear();
    ft::ShareDownloader::createFile = recordedCreate;
  }
  ~RefusingDisk() { ft::ShareDownloader::createFile = create; }

  // The file at path takes no more writes.
  void refuse(const std::string& path) { refuseWrites(descriptors.at(path), path); }

private:
  static ft::FileStream* recordedCreate(const char* path, const ft::ShareEntry& entry,
                                        ft::FileStream::Callback* callback) {
    int fd = nextDescriptor();
    ft::FileStream* stream = new ft::FileStream(path, entry, callback);
    descriptors[path] = fd;
    return stream;
  }

  ft::ShareDownloader::CreateFunction create;
};

} // namespace testing_support
