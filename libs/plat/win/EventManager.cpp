#include "plat/win/EventManager.h"
#include "plat/Assert.h"
#include "plat/CallCounter.h"
#include "plat/LogWriter.h"

#include <algorithm>

namespace plat {

static LogWriter vlog("EventManager");
static CallCounter passes("loop.pass");
static CallCounter waits("loop.wait");

static thread_local EventManager* current;

EventManager::EventManager() : count_(0), previous_(current) {
  ownEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!ownEvent_)
    throw SystemException("CreateEvent", (int)GetLastError());
  current = this;
}

EventManager::~EventManager() {
  current = previous_;
  CloseHandle(ownEvent_);
}

EventManager* EventManager::instance() {
  if (!current)
    throw Exception("no EventManager");
  return current;
}

EventManager* EventManager::threadInstanceOrNull() { return current; }

void EventManager::checkThread(int line) const {
  if (current != this)
    assertionFailed("threadInstanceOrNull() == this", "EventManager", line);
}

bool EventManager::addEvent(HANDLE event, EventHandler* handler, const char* name) {
  checkThread(__LINE__);
  if (count_ >= MaxEvents)
    return false;
  handles_[count_] = event;
  handlers_[count_] = handler;
  names_[count_] = name;
  count_++;
  return true;
}

void EventManager::removeEvent(HANDLE event) {
  checkThread(__LINE__);
  for (int i = 0; i < count_; i++) {
    if (handles_[i] != event)
      continue;
    std::copy(handles_ + i + 1, handles_ + count_, handles_ + i);
    std::copy(handlers_ + i + 1, handlers_ + count_, handlers_ + i);
    std::copy(names_ + i + 1, names_ + count_, names_ + i);
    count_--;
    return;
  }
  throw Exception("Event not registered");
}

void EventManager::addBlockHandler(BlockHandler* handler) {
  checkThread(__LINE__);
  blockHandlers_.push_back(handler);
}

void EventManager::removeBlockHandler(BlockHandler* handler) {
  checkThread(__LINE__);
  blockHandlers_.erase(std::remove(blockHandlers_.begin(), blockHandlers_.end(), handler),
                       blockHandlers_.end());
}

// The wait reports the lowest signalled index, so the entry just served goes
// to the back: two busy events then take turns instead of one starving the
// other.
void EventManager::serve(int index) {
  HANDLE event = handles_[index];
  EventHandler* handler = handlers_[index];
  const char* name = names_[index];
  vlog.write(105, "event %d/%d[%p] (%s) set", index + 1, count_, event, name);
  std::rotate(handles_ + index, handles_ + index + 1, handles_ + count_);
  std::rotate(handlers_ + index, handlers_ + index + 1, handlers_ + count_);
  std::rotate(names_ + index, names_ + index + 1, names_ + count_);
  handler->processEvent(event);
}

bool EventManager::awaitEvent(MSG* message, int timeoutMs) {
  passes.add();
  // The message is only looked at here and taken out of the queue last: a
  // pass that fails (a failed wait, a handler that throws) leaves it, and
  // WM_QUIT too, for the next pass.
  bool gotMessage = PeekMessageW(message, nullptr, 0, 0, PM_NOREMOVE) != 0;

  DWORD result = WAIT_TIMEOUT;
  if (count_ > 0)
    result = WaitForMultipleObjects((DWORD)count_, handles_, FALSE, 0);
  if (result == WAIT_FAILED)
    throw SystemException("awaitEvent failed", (int)GetLastError());

  if (!gotMessage && result == WAIT_TIMEOUT) {
    vlog.write(105, "blocking (timeout=%dms)", timeoutMs);
    // A block handler may remove itself (or others) while called.
    std::vector<BlockHandler*> handlers(blockHandlers_);
    for (BlockHandler* handler : handlers) {
      // One called before may have removed, and deleted, another.
      if (std::find(blockHandlers_.begin(), blockHandlers_.end(), handler) != blockHandlers_.end())
        handler->beforeBlock(&timeoutMs);
    }
    waits.add();
    DWORD n = count_ > 0 ? (DWORD)count_ : 1;
    const HANDLE* waitOn = count_ > 0 ? handles_ : &ownEvent_;
    result = MsgWaitForMultipleObjects(n, waitOn, FALSE,
                                       timeoutMs < 0 ? INFINITE : (DWORD)timeoutMs, WakeMask);
    if (result == WAIT_FAILED)
      throw SystemException("awaitEvent failed", (int)GetLastError());
  }

  if (result < WAIT_OBJECT_0 + (DWORD)count_)
    serve((int)(result - WAIT_OBJECT_0));
  // The handler may have taken the message itself, in a loop of its own.
  return gotMessage && PeekMessageW(message, nullptr, 0, 0, PM_REMOVE) != 0;
}

} // namespace plat
