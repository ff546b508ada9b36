// Starting ferrin.exe (built beside the test program's folder) and a
// loopback listener playing the part of the viewer that starts it.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

namespace ferrin_test {

// A ferrin process; killed when the object goes if it still runs.
class FerrinProcess {
public:
  // arguments: everything after the program name.
  explicit FerrinProcess(const std::wstring& arguments);
  ~FerrinProcess();
  // The exit code, or -1 when it has not ended within ms.
  int wait(int ms);

private:
  PROCESS_INFORMATION info_;
};

class Listener {
public:
  Listener();
  ~Listener();
  int port() const { return port_; }
  // The accepted connection, or INVALID_SOCKET after ms.
  SOCKET accept(int ms);

private:
  SOCKET socket_;
  int port_;
};

// Reads exactly n bytes within ms; false on time-out or close.
bool readExactly(SOCKET s, char* buf, int n, int ms);
// True when the peer closed the connection within ms.
bool waitClosed(SOCKET s, int ms);

} // namespace ferrin_test
