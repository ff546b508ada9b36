// Work on the entry tree that must wait while a modal loop (a prompt, a
// message box, a menu, the quick-launch popup) holds tree nodes: a reload
// frees every node, and a new entry from the viewer runs dialogs of its
// own. Connections wait their turn, first come first served, so many of
// them at most: beyond that, the newest replaces the last one waiting.
#pragma once

#include "ledrow/data/EncryptedConfig.h"

#include <deque>
#include <memory>

namespace addrbook {

class IdleWork {
public:
  class Owner {
  public:
    virtual ~Owner() {}
    // Asks for run() once the current message is done (a posted message).
    virtual void postRun() = 0;
    virtual void reload() = 0;
    virtual void addConnection(std::unique_ptr<EncryptedConfig> connection) = 0;
  };

  // Held while code keeps tree nodes across a modal loop.
  class Hold {
  public:
    explicit Hold(IdleWork& work) : work_(work) { work_.holds_++; }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    ~Hold() { work_.release(); }

  private:
    IdleWork& work_;
  };

  // Connections waiting beside the one being added.
  enum { MaxWaitingConnections = 16 };

  explicit IdleWork(Owner* owner) : owner_(owner) {}

  void requestReload();
  // False when connection took the place of the last one waiting.
  bool queueConnection(std::unique_ptr<EncryptedConfig> connection);
  // Does what is due, unless nodes are held. Adds one connection at a time:
  // while one is being added (its dialogs may run this again) the next
  // waits.
  void run();

  bool isHeld() const { return holds_ > 0; }
  size_t queuedConnections() const { return connections_.size(); }

private:
  void release();
  bool hasWork() const { return reload_ || (!adding_ && !connections_.empty()); }
  void post();

  Owner* owner_;
  int holds_ = 0;
  bool reload_ = false;
  bool adding_ = false;
  bool posted_ = false;
  std::deque<std::unique_ptr<EncryptedConfig>> connections_;
};

} // namespace addrbook
