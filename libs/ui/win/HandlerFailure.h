// What becomes of an exception that escapes a handler called through one of
// the toolkit's shared procedures (custom windows, dialogs, child dialogs,
// subclassed windows, the file-or-folder chooser's hook). It never passes
// through the system's code that called the procedure: the procedure
// catches it, logs it and answers 0.
//
// By default that is all, and the program goes on (ferrin). A program that
// ends on such a failure (ledrow) carries them out: the first failure on a
// thread is kept and WM_QUIT posted, so that every modal loop on the thread
// ends, and the thread's own loop throws it again (throwHandlerFailure) and
// ends with it.
#pragma once

#include <windows.h>

namespace plat {
class LogWriter;
}

namespace ui {

// For the whole process; off until a program asks.
void carryHandlerFailures(bool on);

// Within a shared procedure's catch block: the exception being handled
// (whatever its type), for message to hwnd, logged through log and kept
// when failures are carried.
void handlerFailed(plat::LogWriter& log, UINT message, HWND hwnd);

// Throws the failure this thread keeps, if any, and forgets it.
void throwHandlerFailure();

// Once the program is ending on a failure: nothing is carried any more,
// and the WM_QUIT posted for it is taken back, so that the box which
// reports the failure stays until it is answered.
void stopCarryingHandlerFailures();

} // namespace ui
