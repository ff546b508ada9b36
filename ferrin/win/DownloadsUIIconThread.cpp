#include "ferrin/win/DownloadsUIIconThread.h"
#include "os/win/ComInitialiser.h"
#include "plat/win/Unicode.h"

#include <shellapi.h>

#include <vector>

namespace ft {

DownloadsUI::IconThread::IconThread(HWND window, HICON generic, int size)
    : plat::Thread("IconThread"), serial_(0), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      running_(true), window_(window), generic_(generic), size_(size) {
  if (!event_)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
}

DownloadsUI::IconThread::~IconThread() {
  running_ = false;
  SetEvent(event_);
  if (getState() == Running || getState() == Finished)
    join();
  // Their messages go with the window.
  for (const auto& given : handedOver_)
    if (given.second != generic_)
      DestroyIcon(given.second);
}

void DownloadsUI::IconThread::request(int rowId, const char* path) {
  plat::Lock l(lock_);
  requests_[rowId] = Request{path ? path : "", path == nullptr, ++serial_};
  SetEvent(event_);
}

void DownloadsUI::IconThread::drop(int rowId) {
  plat::Lock l(lock_);
  requests_.erase(rowId);
}

bool DownloadsUI::IconThread::take(int rowId, HICON icon) {
  plat::Lock l(lock_);
  auto it = handedOver_.find({rowId, icon});
  if (it == handedOver_.end())
    return false;
  handedOver_.erase(it);
  return true;
}

HICON DownloadsUI::IconThread::lookUp(const std::string& path) {
  plat::WString wide(path.c_str());
  SHFILEINFOW info = {};
  if (!SHGetFileInfoW(wide.c_str(), 0, &info, sizeof(info), SHGFI_ICON) || !info.hIcon) {
    // Gone already, or not reachable: the icon of its kind of name.
    DWORD attributes = path.empty() || path.back() == '\\' ? FILE_ATTRIBUTE_DIRECTORY
                                                           : FILE_ATTRIBUTE_NORMAL;
    if (!SHGetFileInfoW(wide.c_str(), attributes, &info, sizeof(info),
                        SHGFI_ICON | SHGFI_USEFILEATTRIBUTES))
      return nullptr;
  }
  if (!info.hIcon)
    return nullptr;
  // The shell's large icons keep their size whatever the resolution.
  ICONINFO icon;
  BITMAP bitmap = {};
  if (GetIconInfo(info.hIcon, &icon)) {
    GetObjectW(icon.hbmColor ? icon.hbmColor : icon.hbmMask, sizeof(bitmap), &bitmap);
    if (icon.hbmColor)
      DeleteObject(icon.hbmColor);
    if (icon.hbmMask)
      DeleteObject(icon.hbmMask);
  }
  if (bitmap.bmWidth && bitmap.bmWidth != size_) {
    if (HICON scaled = (HICON)CopyImage(info.hIcon, IMAGE_ICON, size_, size_, LR_COPYDELETEORG))
      return scaled;
  }
  return info.hIcon;
}

void DownloadsUI::IconThread::run() {
  os::ComInitialiser com;
  while (running_) {
    WaitForSingleObject(event_, INFINITE);
    ResetEvent(event_);
    for (;;) {
      int rowId;
      Request wanted;
      {
        plat::Lock l(lock_);
        if (!running_ || requests_.empty())
          break;
        rowId = requests_.begin()->first;
        wanted = requests_.begin()->second;
      }
      HICON icon = wanted.generic ? generic_ : lookUp(wanted.path);
      // A newer request for the row is served next; a row that went, or a
      // window that went, leaves the icon to us. Handed over before it is
      // posted: the window may take it at once.
      bool posted = false;
      {
        plat::Lock l(lock_);
        auto it = requests_.find(rowId);
        if (it != requests_.end() && it->second.serial == wanted.serial) {
          requests_.erase(it);
          if (!icon)
            continue;
          auto given = handedOver_.insert({rowId, icon});
          posted = PostMessageW(window_, IconReady, (WPARAM)rowId, (LPARAM)icon) != FALSE;
          if (!posted)
            handedOver_.erase(given);
        }
      }
      if (!posted && icon && icon != generic_)
        DestroyIcon(icon);
    }
  }
}

} // namespace ft
