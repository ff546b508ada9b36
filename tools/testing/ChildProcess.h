// A program started by a test or a tool; ended by force when the object
// goes while it still runs.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

class ChildProcess {
public:
  // commandLine: the program, quoted where needed, and its arguments.
  // Throws std::runtime_error when it cannot be started.
  explicit ChildProcess(std::wstring commandLine);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  bool ended(int ms);
  // Valid once ended.
  int exitCode();
  HANDLE handle() const { return info_.hProcess; }
  DWORD processId() const { return info_.dwProcessId; }

private:
  PROCESS_INFORMATION info_;
};

// The folder of the running program, with a separator at the end.
std::wstring programFolder();

} // namespace testing_support
