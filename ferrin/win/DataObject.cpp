#include "ferrin/win/DataObject.h"

#include "ferrin/FileGroupDescriptor.h"
#include "ferrin/win/ClipboardFormats.h"
#include "ferrin/win/ComStream.h"
#include "ferrin/win/EnumFORMATETC.h"
#include "ferrin/win/FormatTable.h"
#include "ft/DownloadManager.h"
#include "ft/Extension.h"
#include "ft/FileAttributes.h"
#include "ft/ShareProxy.h"
#include "ft/Win32SanitizePathCallback.h"
#include "plat/LogWriter.h"
#include "plat/String.h"
#include "plat/win/Unicode.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

namespace ft {

namespace {

plat::LogWriter vlog("DataObject");

// The name the shell shows and creates: made safe for Windows, with '\'
// between its levels.
plat::String descriptorName(const char* name) {
  Win32SanitizePathCallback sanitizer;
  plat::String safe = plat::String::adopt(sanitizer.sanitize(name));
  for (char* p = safe.buf(); *p; p++) {
    if (*p == '/')
      *p = '\\';
  }
  return safe;
}

FileDescriptorRecord describe(const ShareEntry& entry, bool wide) {
  FileDescriptorRecord r;
  r.flags = FileDescriptorRecord::HasAttributes | FileDescriptorRecord::HasTimes |
            FileDescriptorRecord::HasSize | FileDescriptorRecord::ShowsProgress;
  r.attributes = FileAttributes::win32Attributes(entry);
  r.ctime = entry.ctime;
  r.atime = entry.atime;
  r.mtime = entry.mtime;
  r.size = entry.size;
  plat::WString name(descriptorName(entry.name.c_str()).c_str());
  if (wide)
    r.wideName.assign((const char16_t*)name.c_str());
  else
    r.narrowName = plat::String::adopt(plat::W2MB(name.c_str(), CP_ACP)).c_str();
  return r;
}

} // namespace

DataObject::DataObject()
    : share_(nullptr), mainThread_(GetCurrentThreadId()), nextStream_(0) {}

DataObject::~DataObject() {
  // Opened ahead and never asked for: their downloads are cancelled.
  for (const auto& ahead : ahead_)
    static_cast<IStream*>(ahead.second)->Release();
  if (share_)
    share_->release();
}

void DataObject::setShare(ShareProxy* share) {
  if (share)
    share->addRef();
  if (share_)
    share_->release();
  share_ = share;
  nextStream_ = share ? (uint32_t)share->size() : 0;
}

void DataObject::getInterfaces(com::InterfaceList* list) {
  list->push_back({IID_IUnknown, static_cast<IDataObject*>(this)});
  list->push_back({IID_IDataObject, static_cast<IDataObject*>(this)});
  addMarshal(list);
}

HRESULT DataObject::QueryGetData(FORMATETC* format) {
  if (!format)
    return E_POINTER;
  const FORMATETC* table = formatTable();
  for (int i = 0; i < FormatCount; i++) {
    if (table[i].cfFormat && table[i].cfFormat == format->cfFormat &&
        (table[i].tymed & format->tymed))
      return S_OK;
  }
  return DV_E_FORMATETC;
}

HRESULT DataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium)
    return E_POINTER;
  vlog.debug("GetData format=%ld, media=%lx", (long)format->cfFormat,
             (unsigned long)format->tymed);
  HRESULT hr = QueryGetData(format);
  if (hr != S_OK)
    return hr;
  if (!share_)
    return E_FAIL;
  try {
    CLIPFORMAT cf = format->cfFormat;
    if (cf == privateFormat()) {
      medium->tymed = TYMED_HGLOBAL;
      medium->hGlobal = newPrivateRecord(share_->shareId());
      medium->pUnkForRelease = nullptr;
      return S_OK;
    }
    if (cf == fileGroupDescriptorWFormat() || cf == fileGroupDescriptorFormat())
      return renderDescriptors(medium, cf == fileGroupDescriptorWFormat());
    if (cf == fileContentsFormat())
      return renderContents(format->lindex, medium);
  } catch (const plat::Exception& e) {
    vlog.error("%s", e.str());
    return E_FAIL;
  } catch (const std::exception& e) {
    vlog.error("%s", e.what());
    return E_OUTOFMEMORY;
  }
  return DV_E_FORMATETC;
}

HRESULT DataObject::renderDescriptors(STGMEDIUM* medium, bool wide) {
  uint32_t n = (uint32_t)share_->size();
  size_t bytes = FileGroupDescriptor::blockSize(share_->size());
  HGLOBAL memory = GlobalAlloc(GMEM_FIXED, bytes);
  if (!memory)
    return E_OUTOFMEMORY;
  try {
    uint8_t* block = (uint8_t*)memory;
    FileGroupDescriptor::writeCount(block, n);
    for (uint32_t i = 0; i < n; i++)
      FileGroupDescriptor::writeRecord(block, i, describe(*(*share_)[i], wide), wide);
  } catch (...) {
    GlobalFree(memory);
    throw;
  }
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT DataObject::renderContents(LONG index, STGMEDIUM* medium) {
  vlog.debug("Index %i requested", (int)index);
  ComStream* stream = nullptr;
  IStream* given;
  if (GetCurrentThreadId() == mainThread_) {
    // A program that asks the clipboard for global memory has the main
    // thread render the stream into it (WM_RENDERFORMAT), and the data it
    // would wait for can only arrive through this thread.
    if (InSendMessage()) {
      vlog.error("File contents cannot be rendered into memory");
      return E_FAIL;
    }
    HRESULT hr = openStream(index, &stream);
    if (hr != S_OK)
      return hr;
    // Its reader must not hold up this thread.
    given =
        static_cast<IStream*>(stream->runOnComThread(static_cast<IStream*>(stream), IID_IStream));
  } else {
    // A paste served in another apartment: the stream stays there. The
    // shell reads the files in the listing's order, so the next one is
    // opened ahead meanwhile: asked for, it needs no wait for the main
    // thread, and its first bytes are there when it is read.
    stream = takeAhead(index);
    if (!stream) {
      HRESULT hr = E_FAIL;
      if (!ComStream::Updater::runOnMainThread([&] {
            stream = takeAhead(index);
            hr = stream ? S_OK : openStream(index, &stream);
          }))
        return E_FAIL;
      if (hr != S_OK)
        return hr;
    }
    openAheadOf(index);
    given = static_cast<IStream*>(stream);
  }
  medium->tymed = TYMED_ISTREAM;
  medium->pstm = given;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT DataObject::openStream(LONG index, ComStream** out) {
  DownloadManager* manager;
  {
    plat::Lock l(share_->extension()->shareLock());
    manager = share_->owner();
  }
  if (!manager)
    return E_FAIL;
  if (index < 0 || (size_t)index >= share_->size()) {
    vlog.error("File index %i out of bounds", (int)index);
    return DV_E_LINDEX;
  }
  const ShareEntry& entry = *(*share_)[index];
  if (entry.flags & ShareEntry::Directory) {
    vlog.error("Contents of directory %s requested", entry.name.c_str());
    return DV_E_LINDEX;
  }
  FileId id(share_->shareId(), nextStream_++);
  ComStream* stream = new com::ComObject<ComStream>;
  stream->init(id, entry.size, entry.name.c_str());
  try {
    stream->attach(manager);
    manager->requestFile(id, entry.name.c_str(), 0, ~(uint64_t)0);
    manager->requestWriteCycle();
  } catch (...) {
    static_cast<IStream*>(stream)->Release();
    throw;
  }
  *out = stream;
  return S_OK;
}

ComStream* DataObject::takeAhead(LONG index) {
  plat::Lock l(aheadLock_);
  for (auto it = ahead_.begin(); it != ahead_.end(); ++it) {
    if (it->first == index) {
      ComStream* stream = it->second;
      ahead_.erase(it);
      return stream;
    }
  }
  return nullptr;
}

void DataObject::openAheadOf(LONG index) {
  static_cast<IDataObject*>(this)->AddRef();
  std::shared_ptr<IDataObject> self(this, [](IDataObject* data) { data->Release(); });
  ComStream::Updater::post([this, self, index] { openAhead(index); });
}

void DataObject::openAhead(LONG after) {
  std::vector<LONG> next;
  for (size_t i = (size_t)after + 1; i < share_->size() && next.size() < AheadFiles; i++)
    if (!((*share_)[i]->flags & ShareEntry::Directory))
      next.push_back((LONG)i);
  // The shell went past these, or elsewhere: their downloads are cancelled.
  std::vector<ComStream*> missed;
  {
    plat::Lock l(aheadLock_);
    for (auto it = ahead_.begin(); it != ahead_.end();) {
      auto wanted = std::find(next.begin(), next.end(), it->first);
      if (wanted == next.end()) {
        missed.push_back(it->second);
        it = ahead_.erase(it);
      } else {
        next.erase(wanted);
        ++it;
      }
    }
  }
  for (ComStream* stream : missed)
    static_cast<IStream*>(stream)->Release();
  for (LONG index : next) {
    ComStream* stream = nullptr;
    if (openStream(index, &stream) != S_OK)
      return;
    plat::Lock l(aheadLock_);
    ahead_.emplace_back(index, stream);
  }
}

HRESULT DataObject::GetDataHere(FORMATETC*, STGMEDIUM*) {
  vlog.warning("GetDataHere not supported");
  return E_NOTIMPL;
}

HRESULT DataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  vlog.warning("GetCanonicalFormatEtc not supported");
  if (out)
    out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT DataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
  vlog.debug("SetData not supported");
  return E_NOTIMPL;
}

HRESULT DataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (direction != DATADIR_GET)
    return E_NOTIMPL;
  *out = new com::ComObject<EnumFORMATETC>;
  return S_OK;
}

HRESULT DataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
  vlog.warning("DAdvise not supported");
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT DataObject::DUnadvise(DWORD) {
  vlog.warning("DUnadvise not supported");
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT DataObject::EnumDAdvise(IEnumSTATDATA**) {
  vlog.warning("EnumDAdvise not supported");
  return OLE_E_ADVISENOTSUPPORTED;
}

} // namespace ft
