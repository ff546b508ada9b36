// Message boxes with the program's display name as caption, always in the
// foreground and topmost. A modifier may adjust the box's window once, just
// before it is first shown.
#pragma once

#include <windows.h>

namespace ui {

class MsgBoxModifier {
public:
  virtual ~MsgBoxModifier() {}
  virtual void modify(HWND box) = 0;
};

// Returns the button id MessageBoxW returns. The caption is the display
// name, followed by ": <captionSuffix>" when one is given.
int MsgBox(HWND owner, const char* text, UINT style, const char* captionSuffix = nullptr,
           MsgBoxModifier* modifier = nullptr);

} // namespace ui
