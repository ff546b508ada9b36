// Puts the shares that the other end means for the clipboard (flags bit 1,
// or no flags) onto the Windows clipboard. As soon as such a share is
// advertised the clipboard is claimed with the private marker alone, so
// that paste targets do not offer stale contents; once its listing is
// complete a DataObject over it goes onto the OLE clipboard; when it is
// withdrawn the clipboard is emptied, unless something else owns it by
// then. Shares for the fetch folder alone (flags 1) are left alone.
//
// A share callback of the extension: main thread, and every failure is
// logged, never passed to the extension.
#pragma once

#include "ft/Extension.h"

namespace ft {

class ShareClipboard : public Extension::ShareCallback {
public:
  // Registers with the extension when it is not null.
  explicit ShareClipboard(Extension* extension);
  ShareClipboard(const ShareClipboard&) = delete;
  ShareClipboard& operator=(const ShareClipboard&) = delete;
  ~ShareClipboard() override;

  static bool isClipboardShare(uint32_t flags);

  void sharePending(uint32_t shareId, uint32_t flags) override;
  void shareReady(ShareProxy* share) override;
  void shareWithdrawn(ShareProxy* share) override;

private:
  Extension* extension_;
};

} // namespace ft
