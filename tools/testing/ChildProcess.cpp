#include "testing/ChildProcess.h"

#include <stdexcept>

namespace testing_support {

ChildProcess::ChildProcess(std::wstring commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info_))
    throw std::runtime_error("cannot start a program");
}

ChildProcess::~ChildProcess() {
  if (!ended(0)) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool ChildProcess::ended(int ms) {
  return WaitForSingleObject(info_.hProcess, ms < 0 ? INFINITE : (DWORD)ms) == WAIT_OBJECT_0;
}

int ChildProcess::exitCode() {
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return (int)code;
}

std::wstring programFolder() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

} // namespace testing_support
