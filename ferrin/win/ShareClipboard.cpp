#include "ferrin/win/ShareClipboard.h"

#include "ferrin/win/ClipboardFormats.h"
#include "ferrin/win/DataObject.h"
#include "ft/ShareProxy.h"
#include "plat/LogWriter.h"

#include <memory>

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

bool ShareClipboard::putOnClipboard(ShareProxy* share) {
  DataObject* data = new com::ComObject<DataObject>;
  data->setShare(share);
  HRESULT hr = OleSetClipboard(static_cast<IDataObject*>(data));
  // The clipboard keeps its own reference.
  static_cast<IDataObject*>(data)->Release();
  if (hr == CLIPBRD_E_CANT_OPEN)
    return false;
  if (FAILED(hr))
    throw plat::SystemException("OleSetClipboard", (int)hr);
  return true;
}

bool ShareClipboard::takeOffClipboard(uint32_t shareId) {
  IDataObject* current = nullptr;
  HRESULT hr = OleGetClipboard(&current);
  if (hr == CLIPBRD_E_CANT_OPEN)
    return false;
  if (FAILED(hr))
    throw plat::SystemException("OleGetClipboard", (int)hr);
  std::unique_ptr<IDataObject, void (*)(IDataObject*)> held(current,
                                                            [](IDataObject* d) { d->Release(); });
  PrivateRecord record;
  // Reading opens the clipboard: a record listed there that could not be
  // read may be ours.
  if (!readPrivateRecord(current, &record))
    return !IsClipboardFormatAvailable(privateFormat());
  // Only our own rendering of this share: another program's contents, or
  // a newer share's, stay.
  if (record.processId != GetCurrentProcessId() || record.shareId != shareId)
    return true;
  hr = OleSetClipboard(nullptr);
  if (hr == CLIPBRD_E_CANT_OPEN)
    return false;
  if (FAILED(hr))
    throw plat::SystemException("OleSetClipboard", (int)hr);
  return true;
}

void ShareClipboard::shareReady(ShareProxy* share) {
  if (!isClipboardShare(share->flags()))
    return;
  // A newer share replaces whatever still waits.
  stopWaiting();
  share->addRef();
  waiting_ = share;
  startTrying();
}

void ShareClipboard::shareWithdrawn(ShareProxy* share) {
  if (!isClipboardShare(share->flags()))
    return;
  // Still waiting to go on, it never did.
  bool wasWaiting = share == waiting_;
  stopWaiting();
  if (wasWaiting)
    return;
  withdrawn_ = share->shareId();
  startTrying();
}

const char* ShareClipboard::task() const { return waiting_ ? "shareReady" : "removeShare"; }

void ShareClipboard::startTrying() {
  attempts_ = 1;
  if (tryOnce()) {
    try {
      retry_.start(RetryMs);
      vlog.info("%s: the clipboard is held open; trying again", task());
      return;
    } catch (const plat::Exception& e) {
      vlog.error("%s: %s", task(), e.str());
    }
  }
  stopWaiting();
}

bool ShareClipboard::tryOnce() {
  try {
    return waiting_ ? !putOnClipboard(waiting_) : !takeOffClipboard(*withdrawn_);
  } catch (const plat::Exception& e) {
    vlog.error("%s: %s", task(), e.str());
    return false;
  }
}

bool ShareClipboard::handleTimeout(plat::Timer*) {
  if (tryOnce()) {
    if (++attempts_ < MaxAttempts)
      return true;
    vlog.error("%s: the clipboard stayed held open; gave up", task());
  }
  stopWaiting();
  return false;
}

void ShareClipboard::stopWaiting() {
  retry_.stop();
  withdrawn_.reset();
  if (waiting_) {
    waiting_->release();
    waiting_ = nullptr;
  }
}

} // namespace ft
