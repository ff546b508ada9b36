// A drive that is not ready for names holding "late" until the test says it
// is: neither looking at them nor creating files under them works, as on a
// drive whose media is gone.
#pragma once

#include "ft/win/ShareDownloader.h"
#include "plat/Exception.h"
#include "plat/win/File.h"

#include <cstring>
#include <windows.h>

namespace testing_support {

struct NotReadyDrive {
  static inline bool notReady = false;

  NotReadyDrive() : exists(ft::ShareDownloader::fileExists), create(ft::ShareDownloader::createFile) {
    notReady = true;
    ft::ShareDownloader::fileExists = checkedExists;
    ft::ShareDownloader::createFile = checkedCreate;
  }
  ~NotReadyDrive() {
    ft::ShareDownloader::fileExists = exists;
    ft::ShareDownloader::createFile = create;
  }

private:
  static void check(const char* call, const char* path) {
    if (notReady && strstr(path, "late"))
      throw plat::SystemException(call, ERROR_NOT_READY);
  }
  static bool checkedExists(const char* path) {
    check("exists", path);
    return plat::fileExists(path);
  }
  static ft::FileStream* checkedCreate(const char* path, const ft::ShareEntry& entry,
                                       ft::FileStream::Callback* callback) {
    check("create", path);
    return new ft::FileStream(path, entry, callback);
  }

  ft::DownloadPaths::ExistsFunction exists;
  ft::ShareDownloader::CreateFunction create;
};

} // namespace testing_support
