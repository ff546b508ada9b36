// The data object a clipboard share puts on the OLE clipboard: renders on
// request, from the share's listing, the file descriptors in both forms,
// the private marker, and for each file a stream that downloads it while
// the shell reads it (ComStream, on its own apartment thread).
//
// Main thread only: the OLE clipboard calls it there, from the thread's
// message loop. It keeps its share alive with a counted reference.
#pragma once

#include "com/win/ComObject.h"
#include "ft/FileId.h"

#include <objidl.h>

#include <cstdint>

namespace ft {

class ShareProxy;

class DataObject : public com::ComObjectImpl, public IDataObject {
public:
  DataObject();
  ~DataObject() override;

  // Drops the share held and takes a reference to this one.
  void setShare(ShareProxy* share);

  void getInterfaces(com::InterfaceList* list) override;

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                    DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** out) override;

private:
  HRESULT renderDescriptors(STGMEDIUM* medium, bool wide);
  HRESULT renderContents(LONG index, STGMEDIUM* medium);

  ShareProxy* share_;
  // The file number of the next stream. Numbers start past the listing's
  // indexes, which the share downloader uses for the same share.
  uint32_t nextStream_;
};

} // namespace ft
