// The data object a clipboard share puts on the OLE clipboard: renders on
// request, from the share's listing, the file descriptors in both forms,
// the private marker, and for each file a stream that downloads it while
// the shell reads it (ComStream).
//
// Made on the main thread, where the OLE clipboard calls it. Other
// programs reach it in the multithreaded apartment (com::MtaMarshal) when
// a com::MtaThread runs: their calls are served on COM's threads, never by
// the main thread's loop, and the streams they get live there too, so that
// a paste talks to one apartment only. Only opening a file's download
// needs the main thread, which the Updater does for them. It keeps its
// share alive with a counted reference; the share is set before the object
// is handed out and not changed while other threads may call it.
#pragma once

#include "com/win/ComObject.h"
#include "com/win/MtaMarshal.h"
#include "ft/FileId.h"
#include "plat/Mutex.h"

#include <objidl.h>

#include <cstdint>
#include <deque>
#include <utility>

namespace ft {

class ShareProxy;

class ComStream;

class DataObject : public com::ComObjectImpl, public IDataObject, public com::MtaMarshal {
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
  // Main thread: a stream over the file's download, requested; throws the
  // download manager's plat::Exception.
  HRESULT openStream(LONG index, ComStream** stream);
  // The stream opened ahead for that file (a reference for the caller), or
  // null.
  ComStream* takeAhead(LONG index);
  // Any thread: has the main thread open the files after that one ahead.
  void openAheadOf(LONG index);
  // Main thread: opens the files that follow that one, up to AheadFiles of
  // them, and drops those opened ahead that the shell went past.
  void openAhead(LONG after);

  ShareProxy* share_;
  DWORD mainThread_;
  // The file number of the next stream (main thread). Numbers start past
  // the listing's indexes, which the share downloader uses for the same
  // share.
  uint32_t nextStream_;
  // The next files of a paste served in another apartment, opened ahead
  // (references), by index in the listing's order. A file's request and
  // its first bytes take a round trip to the other end, often longer than
  // the shell takes for the file before it.
  enum { AheadFiles = 4 };
  plat::Mutex aheadLock_;
  std::deque<std::pair<LONG, ComStream*>> ahead_;
};

} // namespace ft
