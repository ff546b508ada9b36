#include "ledrow/app/IdleWork.h"

namespace addrbook {

void IdleWork::requestReload() {
  reload_ = true;
  post();
}

bool IdleWork::queueConnection(std::unique_ptr<EncryptedConfig> connection) {
  // A sender faster than the user answers the dialogs of each add must not
  // pile connections up without end.
  bool room = connections_.size() < MaxWaitingConnections;
  if (room)
    connections_.push_back(std::move(connection));
  else
    connections_.back() = std::move(connection);
  post();
  return room;
}

void IdleWork::post() {
  if (posted_ || holds_ > 0 || !hasWork())
    return;
  posted_ = true;
  owner_->postRun();
}

void IdleWork::release() {
  if (--holds_ == 0)
    post();
}

void IdleWork::run() {
  posted_ = false;
  if (holds_ > 0)
    return; // the last release posts again
  if (reload_) {
    reload_ = false;
    owner_->reload();
  }
  if (adding_ || connections_.empty())
    return;
  std::unique_ptr<EncryptedConfig> next = std::move(connections_.front());
  connections_.pop_front();
  // However the add ends, the next connection gets its turn.
  struct Adding {
    IdleWork& work;
    explicit Adding(IdleWork& w) : work(w) { work.adding_ = true; }
    ~Adding() {
      work.adding_ = false;
      work.post();
    }
  } adding(*this);
  owner_->addConnection(std::move(next));
}

} // namespace addrbook
