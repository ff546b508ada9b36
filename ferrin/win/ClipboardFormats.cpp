#include "ferrin/win/ClipboardFormats.h"

#include "os/win/GlobalLockGuard.h"
#include "os/win/StgMedium.h"
#include "plat/LogWriter.h"

#include <atomic>
#include <cstring>

namespace ft {

namespace {

plat::LogWriter vlog("ClipboardFormats");

CLIPFORMAT registered(std::atomic<CLIPFORMAT>& cached, const wchar_t* name) {
  CLIPFORMAT format = cached;
  if (format)
    return format;
  format = (CLIPFORMAT)RegisterClipboardFormatW(name);
  if (!format) {
    plat::SystemException e("RegisterClipboardFormat", (int)GetLastError());
    vlog.error("%s", e.str());
    return 0;
  }
  cached = format;
  return format;
}

} // namespace

#define KIV_CLIPBOARD_FORMAT(function, name)                                                       \
  CLIPFORMAT function() {                                                                          \
    static std::atomic<CLIPFORMAT> cached{0};                                                      \
    return registered(cached, name);                                                               \
  }

KIV_CLIPBOARD_FORMAT(shellIdListFormat, L"Shell IDList Array")
KIV_CLIPBOARD_FORMAT(fileContentsFormat, L"FileContents")
KIV_CLIPBOARD_FORMAT(fileGroupDescriptorFormat, L"FileGroupDescriptor")
KIV_CLIPBOARD_FORMAT(fileGroupDescriptorWFormat, L"FileGroupDescriptorW")
KIV_CLIPBOARD_FORMAT(privateFormat, L"KIVFileTransfer")

#undef KIV_CLIPBOARD_FORMAT

HGLOBAL newPrivateRecord(uint32_t shareId) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(PrivateRecord));
  if (!memory)
    throw plat::SystemException("GlobalAlloc", (int)GetLastError());
  void* data = GlobalLock(memory);
  if (!data) {
    DWORD error = GetLastError();
    GlobalFree(memory);
    throw plat::SystemException("GlobalLock", (int)error);
  }
  PrivateRecord record = {GetCurrentProcessId(), shareId};
  memcpy(data, &record, sizeof(record));
  GlobalUnlock(memory);
  return memory;
}

bool readPrivateRecord(IDataObject* data, PrivateRecord* record) {
  FORMATETC format = {privateFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  if (!format.cfFormat)
    return false;
  os::StgMedium got;
  if (FAILED(data->GetData(&format, got.get())) || got.medium.tymed != TYMED_HGLOBAL ||
      !got.medium.hGlobal)
    return false;
  os::GlobalLockGuard block(got.medium.hGlobal);
  // Another program may have put anything under the name.
  if (block.size() < sizeof(PrivateRecord))
    return false;
  memcpy(record, block.get(), sizeof(*record));
  return true;
}

} // namespace ft
