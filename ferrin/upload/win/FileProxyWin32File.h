// A local file offered to the other end, named by its path (a file copied
// to the clipboard as a file list, or picked with "Send Files"). Opened, it
// reads with overlapped I/O, whatever its size, so the main thread never
// waits for a read. It does wait for the rest: open (CreateFileW) runs on
// the main thread, and so does the look at the file that makes the entry
// when the file was picked with "Send Files" (a copied one is looked at on
// the clipboard thread); a file on a slow network share holds the thread
// that long.
#pragma once

#include "ft/FileProxy.h"
#include "plat/String.h"

#include <windows.h>

namespace ft {

class FileProxyWin32File : public FileProxy {
public:
  // name: the entry's name in the share. Both texts have every '\' turned
  // into '/'; the flags, size, times and attribute block come from the
  // file. Throws plat::SystemException when the file cannot be looked at.
  FileProxyWin32File(const wchar_t* path, const wchar_t* name);
  // The same from texts in a code page (the ANSI one by default).
  FileProxyWin32File(const char* path, const char* name, UINT codePage = CP_ACP);

  // Throws plat::SystemException "CreateFileW".
  rdr::InStream* open(uint64_t offset, rfb::MsgHandler* connection, Extension* owner) override;

  const char* path() const { return path_.c_str(); }

private:
  struct Info;
  FileProxyWin32File(const Info& info);
  // The run-time library's reader, where overlapped reads are missing.
  rdr::InStream* openFd(uint64_t offset);

  plat::String path_;
};

} // namespace ft
