// A tooltip window whose tools are controls: it watches their mouse
// messages itself (TTF_SUBCLASS).
#pragma once

#include <windows.h>

namespace ui {

class Tooltip {
public:
  // Throws plat::SystemException "create tooltip window".
  explicit Tooltip(HWND parent, HINSTANCE instance = nullptr);
  Tooltip(const Tooltip&) = delete;
  Tooltip& operator=(const Tooltip&) = delete;
  ~Tooltip();

  // Tips wider than maxWidth pixels wrap (-1: none does).
  void addTool(HWND tool, const char* text, int maxWidth);
  // How long the mouse rests on a tool before its tip shows.
  void setInitialDelay(int ms);
  // A tool's new text (a tool whose tip depends on where the mouse is).
  void setToolText(HWND tool, const char* text);
  // Before the tool's window goes.
  void removeTool(HWND tool);

  HWND getHandle() const { return handle_; }

private:
  HWND handle_;
};

} // namespace ui
