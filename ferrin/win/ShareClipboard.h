// Puts the shares that the other end means for the clipboard (flags bit 1,
// or no flags) onto the Windows clipboard. As soon as such a share is
// advertised the clipboard is claimed with the private marker alone, so
// that paste targets do not offer stale contents; once its listing is
// complete a DataObject over it goes onto the OLE clipboard; when it is
// withdrawn the clipboard is emptied, unless something else owns it by
// then. Shares for the fetch folder alone (flags 1) are left alone.
//
// Another window may hold the clipboard open for a moment (a program
// reading it, this process's own clipboard watcher among them): a ready
// share that finds it so is put on the clipboard again shortly, and a
// withdrawn one taken off again shortly, for a while, from the thread's
// timers, so that the loop goes on serving the window that holds it. A
// newer clipboard share, from its announcement on, ends either wait: it
// replaces the clipboard's contents anyway.
//
// A share callback of the extension: main thread, and every failure is
// logged, never passed to the extension.
#pragma once

#include "ft/Extension.h"
#include "plat/Timer.h"

#include <windows.h>

#include <optional>

namespace ft {

class ShareClipboard : public Extension::ShareCallback, private plat::Timer::Callback {
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

  static const int RetryMs = 50;
  static const int MaxAttempts = 40;

private:
  // A DataObject over the share onto the clipboard. False while another
  // window holds the clipboard open; other failures throw
  // plat::SystemException.
  bool putOnClipboard(ShareProxy* share);
  // The clipboard emptied when it holds our rendering of the share. False
  // while another window holds it open; other failures throw
  // plat::SystemException.
  bool takeOffClipboard(uint32_t shareId);
  // Does what waits once now, and again from the timer while the
  // clipboard is held open.
  void startTrying();
  // True while the clipboard is held open.
  bool tryOnce();
  // What waits, as the log names it.
  const char* task() const;
  bool handleTimeout(plat::Timer* timer) override;
  void stopWaiting();

  Extension* extension_;
  // What found the clipboard held open: the ready share to put on it (a
  // reference of ours), or else the withdrawn share to take off it (its id
  // alone: its last release tells the other end, so it is not kept).
  ShareProxy* waiting_ = nullptr;
  std::optional<uint32_t> withdrawn_;
  int attempts_ = 0;
  plat::Timer retry_{this};
};

} // namespace ft
