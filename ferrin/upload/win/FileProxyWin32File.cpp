#include "ferrin/upload/win/FileProxyWin32File.h"

#include "ferrin/upload/win/FdInStream.h"
#include "ferrin/upload/win/OverlappedInStream.h"
#include "ft/Extension.h"
#include "ft/FileAttributes.h"
#include "os/win/FileInfo.h"
#include "os/win/OSVersionInfo.h"
#include "plat/CallCounter.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace ft {

static plat::LogWriter vlog("FileProxyWin32File");
static plat::CallCounter opens("upload.open");

namespace {

// UTF-8, with '/' for every backslash.
plat::String fromWide(const wchar_t* text) {
  plat::String s = plat::String::adopt(plat::W2MB(text));
  for (char* p = s.buf(); p && *p; p++) {
    if (*p == '\\')
      *p = '/';
  }
  return s;
}

plat::String fromCodePage(const char* text, UINT codePage) {
  plat::WString wide = plat::WString::adopt(plat::MB2W(text, codePage));
  return fromWide(wide.c_str());
}

uint64_t fileTime(const FILETIME& t) {
  return (uint64_t)t.dwHighDateTime << 32 | t.dwLowDateTime;
}

// Wakes the upload when a read completes; owns the file handle.
class Completion : public OverlappedInStream::Completion {
public:
  Completion(Extension* extension, rfb::MsgHandler* connection, HANDLE file)
      : extension(extension), connection(connection), file(file) {}

  void wake() override {
    // The cycle may finish the upload, which releases this completion: it
    // comes last.
    try {
      extension->scheduleWriteMsg(connection);
    } catch (plat::Exception& e) {
      vlog.error("%s", e.str());
    }
  }
  void release() override {
    CloseHandle(file);
    delete this;
  }

private:
  Extension* extension;
  rfb::MsgHandler* connection;
  HANDLE file;
};

} // namespace

struct FileProxyWin32File::Info {
  Info(plat::String path_, plat::String name_)
      : path(std::move(path_)), name(std::move(name_)), file(path.c_str()) {}
  plat::String path;
  plat::String name;
  os::FileInfo file;
};

FileProxyWin32File::FileProxyWin32File(const wchar_t* path, const wchar_t* name)
    : FileProxyWin32File(Info(fromWide(path), fromWide(name))) {}

FileProxyWin32File::FileProxyWin32File(const char* path, const char* name, UINT codePage)
    : FileProxyWin32File(Info(fromCodePage(path, codePage), fromCodePage(name, codePage))) {}

FileProxyWin32File::FileProxyWin32File(const Info& info)
    : FileProxy(info.name.c_str(), ShareEntry::flagsFromWin32(info.file.attributes()),
                info.file.size(), fileTime(info.file.data().ftCreationTime),
                fileTime(info.file.data().ftLastAccessTime),
                fileTime(info.file.data().ftLastWriteTime)),
      path_(info.path) {
  attributes.push_back(FileAttributes::makeWin32(info.file.attributes()));
}

rdr::InStream* FileProxyWin32File::open(uint64_t offset, rfb::MsgHandler* connection,
                                        Extension* owner) {
  if (!os::osVersion().isNT())
    return openFd(offset);
  plat::WString wpath(path_.c_str());
  opens.add();
  // Overlapped whatever its size: a small file may lie on a slow network
  // share too, and a plain read of it would hold every transfer of the
  // thread.
  HANDLE file = CreateFileW(wpath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw plat::SystemException("CreateFileW", (int)GetLastError());
  // The stream takes the completion over, and releases it (closing the
  // file) also when it cannot be made.
  return new OverlappedInStream(file, new Completion(owner, connection, file), offset);
}

rdr::InStream* FileProxyWin32File::openFd(uint64_t offset) {
  vlog.error("Overlapped I/O only supported on Windows NT and above.");
  plat::WString wpath(path_.c_str());
  int fd = _wopen(wpath.c_str(), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    DWORD error = GetLastError();
    if (error != ERROR_INVALID_HANDLE && error != ERROR_CALL_NOT_IMPLEMENTED)
      throw plat::SystemExceptionFmt("_wopen(%s)", (int)error, path_.c_str());
    plat::String ansi = plat::String::adopt(plat::W2MB(wpath.c_str(), CP_ACP));
    fd = _open(ansi.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0)
      throw plat::SystemExceptionFmt("_open(%s)", errno, ansi.c_str());
  }
  if (_lseeki64(fd, (int64_t)offset, SEEK_CUR) < 0) {
    int error = errno;
    _close(fd);
    throw plat::SystemException("_lseeki64", error);
  }
  return new FdInStream(fd);
}

} // namespace ft
