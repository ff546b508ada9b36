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
  stopWaiting();
}

bool ShareClipboard::isClipboardShare(uint32_t flags) { return flags == 0 || (flags & 2); }

void ShareClipboard::sharePending(uint32_t, uint32_t flags) {
  if (!isClipboardShare(flags))
    return;
  // An older share still waiting for the clipboard would cover this
  // one's marker, and a paste would get the older copy's files.
  stopWaiting();
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

HRESULT ShareClipboard::putOnClipboard(ShareProxy* share) {
  DataObject* data = new com::ComObject<DataObject>;
  data->setShare(share);
  HRESULT hr = OleSetClipboard(static_cast<IDataObject*>(data));
  // The clipboard keeps its own reference.
  static_cast<IDataObject*>(data)->Release();
  return hr;
}

void ShareClipboard::shareReady(ShareProxy* share) {
  if (!isClipboardShare(share->flags()))
    return;
  // A newer share replaces one still waiting.
  stopWaiting();
  HRESULT hr = putOnClipboard(share);
  if (hr == CLIPBRD_E_CANT_OPEN) {
    vlog.info("shareReady: the clipboard is held open; trying again");
    try {
      retry_.start(RetryMs);
      share->addRef();
      waiting_ = share;
      attempts_ = 1;
      return;
    } catch (const plat::Exception& e) {
      vlog.error("shareReady: %s", e.str());
    }
  }
  if (FAILED(hr))
    vlog.error("shareReady: %s", plat::SystemException("OleSetClipboard", (int)hr).str());
}

bool ShareClipboard::handleTimeout(plat::Timer*) {
  if (!waiting_)
    return false;
  HRESULT hr = putOnClipboard(waiting_);
  if (hr == CLIPBRD_E_CANT_OPEN && ++attempts_ < MaxAttempts)
    return true;
  if (FAILED(hr))
    vlog.error("shareReady: %s", plat::SystemException("OleSetClipboard", (int)hr).str());
  waiting_->release();
  waiting_ = nullptr;
  return false;
}

void ShareClipboard::stopWaiting() {
  retry_.stop();
  if (waiting_) {
    waiting_->release();
    waiting_ = nullptr;
  }
}

void ShareClipboard::shareWithdrawn(ShareProxy* share) {
  if (!isClipboardShare(share->flags()))
    return;
  if (share == waiting_)
    stopWaiting();
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
