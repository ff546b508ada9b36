// Two facts about the process read once at start-up.
#pragma once

namespace os {

// The process has a usable standard input handle (not null, not invalid,
// and duplicable).
bool haveStdin();
// The screen's horizontal logical pixels per inch.
int screenDpi();

} // namespace os
