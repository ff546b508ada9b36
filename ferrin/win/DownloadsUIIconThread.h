// Looks up the shell's icons of downloaded files and folders for the
// downloads window on a thread of its own ("IconThread"), because the
// shell may take long (a slow drive, a network folder). The window asks by
// row number; a newer request for a row replaces an older one. Results are
// posted to the window as IconReady (row number, icon): the window thread
// alone touches rows, so a row that went meanwhile only costs the icon.
// Any process may post that message too: the window takes an icon only
// when this thread handed it over for that row (take), and never touches
// a handle it did not get from here.
#pragma once

#include "ferrin/win/DownloadsUI.h"
#include "plat/Mutex.h"
#include "plat/win/Handle.h"
#include "plat/win/Thread.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace ft {

class DownloadsUI::IconThread : public plat::Thread {
public:
  // wParam: the row number; lParam: the icon (the generic one, shared, or
  // one for the row to own).
  enum { IconReady = WM_APP + 1 };

  // window gets the results; generic is the icon of several items; size
  // is the icons' width and height. Throws plat::SystemException
  // "CreateEvent".
  IconThread(HWND window, HICON generic, int size);
  // Stops and joins the thread; requests still waiting are dropped, and
  // icons handed over but never taken are destroyed.
  ~IconThread() override;

  // Any thread. A null path asks for the generic icon.
  void request(int rowId, const char* path);
  // The row is gone: its request, if still waiting, is dropped.
  void drop(int rowId);
  // The window thread, for an IconReady: true, once, when this thread
  // posted that icon for that row; the icon is then the caller's.
  bool take(int rowId, HICON icon);

private:
  struct Request {
    std::string path;
    bool generic;
    uint64_t serial;
  };

  void run() override;
  HICON lookUp(const std::string& path);

  plat::Mutex lock_;
  std::map<int, Request> requests_;
  // Posted as IconReady and not taken yet.
  std::multiset<std::pair<int, HICON>> handedOver_;
  uint64_t serial_;
  plat::Handle event_;
  std::atomic<bool> running_;
  HWND window_;
  HICON generic_;
  int size_;
};

} // namespace ft
