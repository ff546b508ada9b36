// A test's stand-in for a program's main loop: fire due timers, wait for a
// message, an event or the next timer, dispatch messages; until a condition
// holds or a deadline passes. Needs the thread's EventManager and
// TimerManager.
#pragma once

#include <functional>

namespace testing_support {

// True when done() became true before deadlineMs passed.
bool pumpUntil(const std::function<bool()>& done, int deadlineMs);

// Runs the loop for ms milliseconds.
void pumpFor(int ms);

// The loop without timers, with step() before each wait, which does not
// block while step() moves something (engines joined by a memory link).
// Needs only the thread's EventManager. True when done() became true
// before deadlineMs passed.
bool pumpStepping(const std::function<bool()>& step, const std::function<bool()>& done,
                  int deadlineMs);

} // namespace testing_support
