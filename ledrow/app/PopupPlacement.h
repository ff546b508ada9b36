// Where the quick-launch popup opens: against the taskbar, at the cursor,
// and wholly inside the work area.
#pragma once

namespace addrbook {

struct Box {
  int left, top, right, bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// The taskbar's edge of the screen; NoTaskbar when there is none.
enum TaskbarEdge { LeftEdge, TopEdge, RightEdge, BottomEdge, NoTaskbar };

// The popup of width x height beside a taskbar on edge (its rectangle
// taskbar), level with the cursor, moved into workArea where it would
// reach out of it. Without a taskbar it opens above and to the left of
// the cursor, as from a tray at the bottom right.
Box placePopup(int cursorX, int cursorY, TaskbarEdge edge, const Box& taskbar, int width,
               int height, const Box& workArea);

} // namespace addrbook
