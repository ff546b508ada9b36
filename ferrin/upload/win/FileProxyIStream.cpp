#include "ferrin/upload/win/FileProxyIStream.h"

#include "ferrin/Parameters.h"
#include "ferrin/upload/win/IStreamPosition.h"
#include "ferrin/upload/win/OleInStream.h"
#include "ferrin/upload/win/ThreadedOleInStream.h"
#include "ferrin/upload/win/UploadHandler.h"
#include "ft/FileAttributes.h"
#include "os/win/StgMedium.h"
#include "plat/LogWriter.h"

#include <memory>

namespace ft {

static plat::LogWriter vlog("FileProxyIStream");

namespace {

// The process's global interface table, made on first use.
IGlobalInterfaceTable* globalTable() {
  static IGlobalInterfaceTable* table = [] {
    IGlobalInterfaceTable* made = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IGlobalInterfaceTable, (void**)&made);
    if (FAILED(hr))
      throw plat::SystemException("CoCreateInstance(GlobalInterfaceTable)", (int)hr);
    return made;
  }();
  return table;
}

} // namespace

FileProxyIStream::FileProxyIStream(IDataObject* dataObject_, CLIPFORMAT clipFormat, LONG index,
                                   const char* name, uint32_t attributeWord, uint64_t size,
                                   uint64_t ctime, uint64_t atime, uint64_t mtime)
    : FileProxy(name, ShareEntry::flagsFromWin32(attributeWord), size, ctime, atime, mtime),
      cookie(0) {
  HRESULT hr = globalTable()->RegisterInterfaceInGlobal(dataObject_, IID_IDataObject, &cookie);
  if (FAILED(hr))
    throw plat::SystemException("RegisterInterfaceInGlobal", (int)hr);
  format.cfFormat = clipFormat;
  format.ptd = nullptr;
  format.dwAspect = DVASPECT_CONTENT;
  format.lindex = index;
  format.tymed = TYMED_ISTREAM;
  attributes.push_back(FileAttributes::makeWin32(attributeWord));
}

FileProxyIStream::~FileProxyIStream() {
  globalTable()->RevokeInterfaceFromGlobal(cookie);
}

rdr::InStream* FileProxyIStream::open(uint64_t offset, rfb::MsgHandler* connection,
                                      Extension* owner) {
  IDataObject* dataObject = nullptr;
  HRESULT hr = globalTable()->GetInterfaceFromGlobal(cookie, IID_IDataObject, (void**)&dataObject);
  if (FAILED(hr))
    throw plat::SystemException("GetInterfaceFromGlobal", (int)hr);
  os::StgMedium got;
  hr = dataObject->GetData(&format, got.get());
  dataObject->Release();
  if (FAILED(hr) || got.medium.tymed != TYMED_ISTREAM || !got.medium.pstm) {
    vlog.error("GetData returned %lu. tymed = %lu", (unsigned long)hr,
               (unsigned long)got.medium.tymed);
    throw plat::SystemException("GetData(open)", FAILED(hr) ? (int)hr : (int)DV_E_TYMED);
  }
  IStream* stream = got.medium.pstm;
  skipIStream(stream, offset);
  if (!ferrin::multiThreadedIStreams)
    return new OleInStream(stream);
  ThreadedOleInStream* threaded = new ThreadedOleInStream(stream, new UploadHandler(owner, connection));
  threaded->start();
  return threaded;
}

} // namespace ft
