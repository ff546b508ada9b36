// Two facts about the process read once at start-up, and lengths scaled
// by one of them.
#pragma once

namespace os {

// The process has a usable standard input handle (not null, not invalid,
// and duplicable).
bool haveStdin();
// The screen's horizontal logical pixels per inch.
int screenDpi();
// A length given at 96 DPI in the screen's pixels, rounded.
int dpiScaled(int at96);

} // namespace os
