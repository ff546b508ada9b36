// What the fd manager tells the owners of ios and listeners.
#pragma once

namespace io {

class Io;
class FdIo;
class FdListener;

// Owner of a registered io. A peer's close arrives as readable(): the read
// then sees the end of the stream. closed() comes once, just before the fd
// manager deletes the io.
class IoHandler {
public:
  virtual void readable(Io* io) = 0;
  virtual void writable(Io* io) = 0;
  virtual void closed(Io* io) = 0;
  virtual ~IoHandler() {}
};

// Takes the connections accepted on a listener; the new io is not yet
// registered with the fd manager.
class IoAcceptor {
public:
  virtual void accept(FdListener* listener, FdIo* io) = 0;
  virtual ~IoAcceptor() {}
};

class FdAddressChanged {
public:
  // The machine's list of local addresses changed.
  virtual void addressChanged(FdListener* listener) = 0;
  virtual ~FdAddressChanged() {}
};

} // namespace io
