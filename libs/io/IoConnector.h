// A connect in progress and the callback that hears how it ended.
#pragma once

namespace io {

class Io;
class IoConnector;

class IoConnected {
public:
  virtual ~IoConnected() {}
  // The new io belongs to the callback; it is not registered with the fd
  // manager.
  virtual void connected(IoConnector* connector, Io* io) = 0;
  // The connector's rethrow() raises the reason.
  virtual void connectFailed(IoConnector* connector) = 0;
  virtual void connectCancelled(IoConnector* connector) = 0;
};

class IoConnector {
public:
  // Raises the saved failure, if any (a resolution failure first).
  virtual void rethrow() = 0;
  // Stops the connect. With keepCallback the callback still hears
  // connectCancelled (from the thread's timers); without, it hears nothing
  // more.
  virtual void cancel(bool keepCallback) = 0;
  virtual ~IoConnector() {}
};

} // namespace io
