// Calls into an object that lives on another thread, as messages. Any
// thread posts; the thread that made the queue delivers them in order from
// its event loop, through the event the queue registers with that thread's
// event manager. A proxy derives from the queue, turns each operation of
// its target's interface into a post, and says in deliver what a message
// does to the target.
//
//   struct ShowProxy : plat::MessageQueue<Show, Dialog> {
//     explicit ShowProxy(Dialog* d) : MessageQueue(d, "ShowProxy::msgAvailable") {}
//     void show() { post(Show()); }                 // any thread
//     void deliver(Dialog* d, Show&) override { d->ensureShown(); }
//   };
//
// The target must outlive the queue; the queue is destroyed on its own
// thread, before that thread's event manager goes.
#pragma once

#include "plat/Exception.h"
#include "plat/LogWriter.h"
#include "plat/Mutex.h"
#include "plat/win/EventManager.h"
#include "plat/win/Handle.h"

#include <deque>
#include <utility>

namespace plat {

extern LogWriter messageQueueLog;

template <class Message, class Target> class MessageQueue : public EventHandler {
public:
  // eventName must outlive the queue (a literal).
  MessageQueue(Target* target, const char* eventName)
      : target_(target), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        events_(EventManager::instance()) {
    if (!event_)
      throw SystemException("CreateEvent", (int)GetLastError());
    events_->addEvent(event_, this, eventName);
  }
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;
  // Messages still queued are freed without being delivered.
  ~MessageQueue() override { events_->removeEvent(event_); }

  // Any thread.
  void post(Message message) {
    Lock l(lock_);
    queue_.push_back(std::move(message));
    SetEvent(event_);
  }

  // The owning thread. One signal may stand for many posts: the queue is
  // emptied, and what is posted meanwhile (from a delivery, or by another
  // thread) goes out in the same pass. The messages are taken out under the
  // lock and delivered without it: a delivery may take long or open a
  // modal loop, and a thread that posts meanwhile must not wait for it (it
  // may be the very thread the delivery needs to answer).
  void processEvent(HANDLE event) override {
    ResetEvent(event);
    if (event != event_.get())
      return;
    for (;;) {
      std::deque<Message> taken;
      {
        Lock l(lock_);
        taken.swap(queue_);
      }
      if (taken.empty())
        return;
      for (Message& message : taken) {
        try {
          deliver(target_, message);
        } catch (...) {
          // One failed call, whatever it threw, must not take the rest, or
          // the thread, with it.
          messageQueueLog.error("%s", caughtText());
        }
      }
    }
  }

protected:
  virtual void deliver(Target* target, Message& message) = 0;

private:
  Target* target_;
  Mutex lock_;
  std::deque<Message> queue_;
  Handle event_;
  EventManager* events_;
};

} // namespace plat
