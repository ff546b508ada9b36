// Starting another program: its command line, optional pipes for its
// standard input or output, and its exit code once it has been awaited.
#pragma once

#include "plat/String.h"

#include <windows.h>

namespace addrbook {

class ChildProcess {
public:
  enum { StillActive = 259 };

  // program: a path, or a bare name that is looked for beside this
  // program. arguments follow the program's quoted name on the command
  // line.
  ChildProcess(const char* program, const char* arguments);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // Waits for a process still held.
  ~ChildProcess();

  // Starts the program, as the user of userToken when one is given. A pipe
  // asked for comes back as the end this process keeps (the caller closes
  // it). Does nothing while a process started earlier still runs. Throws
  // plat::SystemException "CreatePipe" or "unable to launch process".
  void start(HANDLE userToken, bool newConsole, HANDLE* stdoutPipe, HANDLE* stdinPipe);
  // Lets the process go without waiting for it.
  void close();

  void setInheritHandles(bool inherit) { inheritHandles_ = inherit; }
  const char* applicationPath() const { return applicationPath_.c_str(); }
  // "\"<program>\" <arguments>"
  plat::String commandLine() const;
  DWORD exitCode() const { return exitCode_; }
  DWORD processId() const { return info_.dwProcessId; }

private:
  // Waits for the held process and keeps its exit code.
  void await();
  void create(HANDLE userToken, DWORD flags, STARTUPINFOW* startup, bool inherit);

  plat::String program_;
  plat::String applicationPath_;
  plat::String arguments_;
  PROCESS_INFORMATION info_;
  DWORD exitCode_;
  bool inheritHandles_;
};

} // namespace addrbook
