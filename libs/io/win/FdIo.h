// An io over a Winsock socket.
#pragma once

#include "io/Io.h"
#include "plat/String.h"

#include <winsock2.h>

namespace io {

class FdManager;

class FdIo : public Io {
public:
  // Sets the socket up (not inheritable, non-blocking) and makes its
  // streams; buffer size 0 takes the stream's default.
  FdIo(SOCKET fd, bool closeOnDelete, int inBufferSize = 0, int outBufferSize = 0);
  // Never waits for a slow peer: unsent output that cannot go out at once
  // is dropped.
  ~FdIo() override;

  void setHandler(IoHandler* handler, bool wantRead) override;
  void shutdown(bool flush, bool tellHandler) override;
  bool isRegistered() override { return manager_ != nullptr; }
  FdIo* asFdIo() override { return this; }
  // The socket number.
  const char* name() override;
  void setTimeout(int ms) override;

  SOCKET fd() const { return fd_; }
  // The socket's pending error (SO_ERROR), kept once seen, so that the
  // reason of a failed connect survives.
  int socketError();
  void setSocketError(int error) { socketError_ = error; }

  FdManager* manager() const { return manager_; }
  void setManager(FdManager* manager) { manager_ = manager; }

private:
  void setUp(SOCKET fd, bool closeOnDelete, int inBufferSize, int outBufferSize);
  void deleteStreams();

  bool closeOnDelete_;
  SOCKET fd_;
  int socketError_;
  plat::String nameText_;
  FdManager* manager_;
};

} // namespace io
