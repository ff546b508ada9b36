// One window handle with its text. The base of every window object of the
// programs: custom windows, dialogs and the control wrappers. Text is UTF-8
// here and UTF-16 at the Windows interface.
#pragma once

#include "os/win/IsSafeWM.h"
#include "plat/String.h"

#include <windows.h>

namespace ui {

using os::IsSafeWM;

class Window {
public:
  // A null instance means the program's module.
  explicit Window(HINSTANCE instance = nullptr);
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  // DestroyWindow when the window is ours; afterwards there is none.
  virtual void destroy();

  // CreateWindowExW with this object as the creation parameter. Only once
  // the new window exists is an earlier one destroyed. Throws
  // plat::SystemException "CreateWindowEx".
  void create(const wchar_t* className, const char* title, DWORD style, int x, int y, int width,
              int height, HWND parent = nullptr, DWORD exStyle = 0, UINT_PTR menuOrId = 0);
  void create(ATOM windowClass, const char* title, DWORD style, int x, int y, int width, int height,
              HWND parent = nullptr, DWORD exStyle = 0, UINT_PTR menuOrId = 0);

  // Wraps a window made elsewhere (a dialog's control) without owning it.
  void wrap(HWND window);

  void show(bool visible);
  void enable(bool enabled);

  void setText(const char* text);
  // Unless useCached, reads the window's text (at most 255 characters)
  // into the cache first. The cache stays valid until the next call.
  const char* getText(bool useCached = false);
  // The whole text, however long, into the cache: what an edit box holds
  // must not be cut.
  const char* getFullText();

  // The text as "%i", kept as the cached text.
  void setInt(int value);
  // The text (at most 255 characters, kept as the cached text) read as a
  // decimal: leading blanks and a sign allowed, up to the first non-digit;
  // no digits give 0.
  int getInt();

  void setFocus();
  bool isEnabled() const;

  // Moves a child of this window by (dx, dy) and grows it by (dw, dh),
  // without activating it or changing the z-order.
  void moveChild(HWND child, int dx, int dy, int dw, int dh);

  // Throws plat::SystemException "GetDlgItem".
  HWND getDlgItem(int id) const;

  HWND getHandle() const { return handle_; }
  HINSTANCE getInstance() const { return instance_; }
  bool ownsWindow() const { return ownsWindow_; }

protected:
  void setCachedText(const char* text) { text_ = text; }
  // For windows whose handle arrives in a message (dialogs).
  void setHandle(HWND window, bool owns) {
    handle_ = window;
    ownsWindow_ = owns;
  }

private:
  bool ownsWindow_;
  HWND handle_;
  HINSTANCE instance_;
  plat::String text_;
};

} // namespace ui
