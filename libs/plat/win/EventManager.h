// The per-thread wait of a message loop: window messages, up to 63 event
// handles each with its handler, and a time-out, with hooks that may shorten
// the time-out just before the thread sleeps.
#pragma once

#include <windows.h>

#include <vector>

namespace plat {

class EventHandler {
public:
  virtual ~EventHandler() {}
  virtual void processEvent(HANDLE event) = 0;
};

class BlockHandler {
public:
  virtual ~BlockHandler() {}
  // May lower *timeoutMs (negative: no time-out).
  virtual void beforeBlock(int* timeoutMs) = 0;
};

// Lives on its thread's stack; constructing one hides the thread's current
// manager until it is destroyed. Handles and names are not owned: a name must
// outlive its registration, and the registering object closes its handle.
class EventManager {
public:
  // MsgWaitForMultipleObjects takes 64 handles, one of them the queue's.
  enum { MaxEvents = 63 };
  // Every kind of input. The literal keeps the wait the same whatever the
  // toolchain's QS_ALLINPUT says for the Windows version it targets.
  static const DWORD WakeMask = 0x04FF;

  EventManager();
  EventManager(const EventManager&) = delete;
  EventManager& operator=(const EventManager&) = delete;
  virtual ~EventManager();

  // The calling thread's current manager; throws "no EventManager".
  static EventManager* instance();
  static EventManager* threadInstanceOrNull();

  // False, and nothing registered, when the table is full.
  bool addEvent(HANDLE event, EventHandler* handler, const char* name);
  // Throws "Event not registered" for an unknown handle.
  void removeEvent(HANDLE event);
  void addBlockHandler(BlockHandler* handler);
  // Removes every occurrence.
  void removeBlockHandler(BlockHandler* handler);

  // One pass of the thread's wait: serves at most one signalled event and
  // returns true when a window message was taken into *message. Blocks only
  // when neither a message nor an event is ready.
  bool awaitEvent(MSG* message, int timeoutMs);

  int eventCount() const { return count_; }

private:
  void checkThread(int line) const;
  void serve(int index);

  HANDLE handles_[MaxEvents + 1];
  EventHandler* handlers_[MaxEvents];
  const char* names_[MaxEvents];
  int count_;
  std::vector<BlockHandler*> blockHandlers_;
  // Stands in the wait when the table is empty; never signalled.
  HANDLE ownEvent_;
  EventManager* previous_;
};

} // namespace plat
