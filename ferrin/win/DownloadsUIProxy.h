// The downloads window as the model's thread (the main thread) calls it:
// every call on the window or on one of its rows becomes a message that
// the window thread delivers in order. Nothing waits for the window
// thread: a new row's proxy is made at once, and the row itself follows
// on the window thread under the same number. One queue serves the window
// and all its rows, so a thread's event table (63 events) never limits
// how many rows there are, and a row never hears of a call before the
// call that made it.
//
// Progress comes with every piece of a file written, thousands of times a
// second: only a position that moves the bar is sent, and a row has at
// most one progress message waiting, which carries the latest position
// when it is delivered. (Painting on the window thread would otherwise
// slow the main thread's transfers: both wait for the one window server.)
#pragma once

#include "ferrin/win/DownloadsDialog.h"
#include "plat/Mutex.h"
#include "plat/String.h"
#include "plat/win/MessageQueue.h"

#include <atomic>
#include <memory>
#include <set>

namespace ft {

class DownloadsUI;

// A row's latest progress, shared by its proxy and the message waiting to
// carry it.
struct DownloadsUIProgress {
  std::atomic<int> position{0};
  std::atomic<bool> queued{false};
};

struct DownloadsUIMessage {
  enum Kind {
    EnsureWindow,
    CreateItem,
    AddItem,
    RemoveItem,
    OpenFile,
    EnableClear,
    NotifyFinished,
    NotifyFailed,
    ShowMessage,
    SetIcon,
    SetGenericIcon,
    SetText,
    SetProgress,
    ShowProgress,
    HideProgress,
    SetStatus,
    SetActions,
  };
  int kind;
  int rowId;
  plat::String text;
  int value; // a flag
  DownloadsDialog::ActionSet actions;
  std::shared_ptr<DownloadsUIProgress> progress;
};

class DownloadsUIProxy : public plat::MessageQueue<DownloadsUIMessage, DownloadsUI>,
                         public DownloadsDialog::UI {
public:
  // On the window thread.
  explicit DownloadsUIProxy(DownloadsUI* window);

  // DownloadsDialog::UI, on the model's thread.
  void ensureWindow() override;
  DownloadsDialog::Download* createItem(int rowId) override;
  void addItem(DownloadsDialog::Download* row) override;
  void removeItem(DownloadsDialog::Download* row) override;
  void openFile(const char* path) override;
  void enableClear(bool enable) override;
  void notifyFinished() override;
  void notifyFailed() override;
  void showMessage(const char* text) override;

  void send(int kind, int rowId, const char* text = nullptr, int value = 0,
            const DownloadsDialog::ActionSet* actions = nullptr,
            std::shared_ptr<DownloadsUIProgress> progress = nullptr);

  // The rows' proxies that the model still holds go with the window.
  ~DownloadsUIProxy() override;

protected:
  void deliver(DownloadsUI* window, DownloadsUIMessage& message) override;

private:
  plat::Mutex rowsLock_;
  std::set<DownloadsDialog::Download*> rows_;
};

} // namespace ft
