// A file offered to the other end that is the contents of another
// program's data object (files copied as "FileContents" rather than as a
// list of paths). Opened, it asks the data object for an IStream and reads
// it on a thread of its own (MultiThreadedIStreams), or directly.
//
// It is made where the data object was had (the clipboard thread) and
// opened on the main thread: the data object waits in the global interface
// table, and each apartment gets its own pointer to it from there.
#pragma once

#include "ft/FileProxy.h"

#include <objidl.h>

namespace ft {

class FileProxyIStream : public FileProxy {
public:
  // format: the "FileContents" clipboard format; index: the file's place in
  // the data object's group. Holds a reference to the data object. Throws
  // plat::SystemException "RegisterInterfaceInGlobal".
  FileProxyIStream(IDataObject* dataObject, CLIPFORMAT format, LONG index, const char* name,
                   uint32_t attributes, uint64_t size, uint64_t ctime, uint64_t atime,
                   uint64_t mtime);
  ~FileProxyIStream() override;

  // Throws plat::SystemException "GetData(open)" when the data object has
  // no stream for the file, and "Can't seek to %llu: stream size is %llu"
  // when the stream is shorter than offset.
  rdr::InStream* open(uint64_t offset, rfb::MsgHandler* connection, Extension* owner) override;

private:
  DWORD cookie;
  FORMATETC format;
};

} // namespace ft
