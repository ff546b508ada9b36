// One open connection: a socket with its input and output stream and its
// registration with the thread's fd manager. IoTarget names where an io is
// made from (a host and port to connect to).
#pragma once

namespace rdr {
class FdInStream;
class FdOutStream;
} // namespace rdr

namespace io {

class Io;
class FdIo;
class TcpIo;
class IoHandler;
class IoConnector;
class IoConnected;

class IoTarget {
public:
  virtual ~IoTarget() {}
  // Connects at once, blocking the thread; returns a new io.
  virtual Io* connect() = 0;
  // Starts a connect that reports to callback on this thread; the connector
  // deletes itself once it has reported.
  virtual IoConnector* connectAsync(IoConnected* callback) = 0;
  virtual IoTarget* clone() const = 0;
};

class Io {
public:
  Io() : in_(nullptr), out_(nullptr), target_(nullptr) {}
  Io(const Io&) = delete;
  Io& operator=(const Io&) = delete;

  // Registers with (or, with no handler, leaves) the thread's fd manager.
  virtual void setHandler(IoHandler* handler, bool wantRead) = 0;
  // Ends the connection; the io is deleted (by the fd manager once it is
  // cleaned up, or at once when not registered). With flush the pending
  // output goes out first.
  virtual void shutdown(bool flush, bool tellHandler) = 0;
  // Whether a fd manager holds the io (and will delete it).
  virtual bool isRegistered() = 0;
  virtual FdIo* asFdIo() { return nullptr; }
  virtual TcpIo* asTcpIo() { return nullptr; }
  // For the log.
  virtual const char* name() = 0;
  // Text of the local end, or null.
  virtual const char* localName() { return nullptr; }
  // Both streams' time-outs (ms, negative: none).
  virtual void setTimeout(int ms) = 0;
  // The subclass that made the streams deletes them.
  virtual ~Io() { delete target_; }

  rdr::FdInStream& inStream() { return *in_; }
  rdr::FdOutStream& outStream() { return *out_; }
  IoTarget* target() const { return target_; }
  // Takes ownership.
  void setTarget(IoTarget* target) {
    if (target != target_)
      delete target_;
    target_ = target;
  }

protected:
  rdr::FdInStream* in_;
  rdr::FdOutStream* out_;
  IoTarget* target_;
};

} // namespace io
