#include "ferrin/win/ShareClipboard.h"

#include "ferrin/win/ClipboardFormats.h"
#include "ferrin/win/DataObject.h"
#include "ft/ShareProxy.h"
#include "plat/LogWriter.h"

namespace ft {

namespace {

plat::LogWriter vlog("ShareClipboard");

// The clipboard opened for this thread, closed however the caller ends.
class OpenClipboardGuard {
public:
  OpenClipboardGuard() {
    if (!OpenClipboard(nullptr))
      throw plat::SystemException("OpenClipboard", (int)GetLastError());
  }
  OpenClipboardGuard(const OpenClipboardGuard&) = delete;
  OpenClipboardGuard& operator=(const OpenClipboardGuard&) = delete;
  ~OpenClipboardGuard() { CloseClipboard(); }
};

} // namespace

ShareClipboard::ShareClipboard(Extension* extension) : extension_(extension) {
  if (extension_)
    extension_->addShareCallback(this);
}

ShareClipboard::~ShareClipboard() {
  if (extension_)
    extension_->removeShareCallback(this);
}

bool ShareClipboard::isClipboardShare(uint32_t flags) { return flags == 0 || (flags & 2); }

void ShareClipboard::sharePending(uint32_t, uint32_t flags) {
  if (!isClipboardShare(flags))
    return;
  try {
    OpenClipboardGuard open;
    if (!EmptyClipboard())
      throw plat::SystemException("EmptyClipboard", (int)GetLastError());
    HGLOBAL marker = newPrivateRecord(0);
    if (!SetClipboardData(privateFormat(), marker)) {
      DWORD error = GetLastError();
      GlobalFree(marker);
      throw plat::SystemException("SetClipboardData", (int)error);
    }
  } catch (const plat::Exception& e) {
    vlog.error("sharePending: %s", e.str());
  }
}

void ShareClipboard::shareReady(ShareProxy* share) {
  if (!isClipboardShare(share->flags()))
    return;
  DataObject* data = new com::ComObject<DataObject>;
  data->setShare(share);
  HRESULT hr = OleSetClipboard(static_cast<IDataObject*>(data));
  if (FAILED(hr))
    vlog.error("shareReady: %s", plat::SystemException("OleSetClipboard", (int)hr).str());
  // The clipboard keeps its own reference.
  static_cast<IDataObject*>(data)->Release();
}

void ShareClipboard::shareWithdrawn(ShareProxy* share) {
  if (!isClipboardShare(share->flags()))
    return;
  IDataObject* current = nullptr;
  try {
    HRESULT hr = OleGetClipboard(&current);
    if (FAILED(hr))
      throw plat::SystemException("OleGetClipboard", (int)hr);
    PrivateRecord record;
    // Only our own rendering of this share: another program's contents, or
    // a newer share's, stay.
    if (readPrivateRecord(current, &record) && record.processId == GetCurrentProcessId() &&
        record.shareId == share->shareId()) {
      hr = OleSetClipboard(nullptr);
      if (FAILED(hr))
        throw plat::SystemException("OleSetClipboard", (int)hr);
    }
  } catch (const plat::Exception& e) {
    vlog.error("removeShare: %s", e.str());
  }
  if (current)
    current->Release();
}

} // namespace ft
