#include "ledrow/app/win/ChildProcess.h"
#include "os/win/ModuleFileName.h"
#include "plat/win/DynamicFn.h"
#include "plat/win/Handle.h"
#include "plat/win/Unicode.h"

#include <cstring>
#include <memory>
#include <string>

namespace addrbook {

namespace {

// The directory of this program, without its trailing separator.
std::string programDirectory() {
  plat::String self = plat::String::adopt(os::getModuleFileName(nullptr));
  std::string path = self.isNull() ? "" : self.c_str();
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

// A pipe whose child end is inherited and whose own end is not.
struct Pipe {
  plat::Handle read;
  plat::Handle write;
  explicit Pipe(bool childReads) {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE r, w;
    if (!CreatePipe(&r, &w, &sa, 0))
      throw plat::SystemException("CreatePipe", (int)GetLastError());
    read.reset(r);
    write.reset(w);
    SetHandleInformation(childReads ? w : r, HANDLE_FLAG_INHERIT, 0);
  }
};

typedef BOOL(WINAPI* CreateEnvironmentBlockFn)(LPVOID*, HANDLE, BOOL);
typedef BOOL(WINAPI* DestroyEnvironmentBlockFn)(LPVOID);

} // namespace

ChildProcess::ChildProcess(const char* program, const char* arguments)
    : program_(program), arguments_(arguments), info_(), exitCode_(StillActive),
      inheritHandles_(false) {
  if (strchr(program, '\\'))
    applicationPath_ = program;
  else
    applicationPath_ = (programDirectory() + "\\" + program).c_str();
}

ChildProcess::~ChildProcess() {
  try {
    await();
  } catch (const plat::Exception&) {
    // A wait that fails leaves nothing to wait for; the handles are ours
    // to close all the same.
    close();
  }
}

plat::String ChildProcess::commandLine() const {
  std::string line = std::string("\"") + program_.c_str() + "\" " + arguments_.c_str();
  return plat::String(line.c_str());
}

void ChildProcess::await() {
  if (!info_.hProcess)
    return;
  if (WaitForSingleObject(info_.hProcess, INFINITE) != WAIT_OBJECT_0)
    throw plat::SystemException("await() failed", (int)GetLastError());
  GetExitCodeProcess(info_.hProcess, &exitCode_);
  close();
}

void ChildProcess::close() {
  if (info_.hThread)
    CloseHandle(info_.hThread);
  if (info_.hProcess)
    CloseHandle(info_.hProcess);
  info_ = PROCESS_INFORMATION();
}

void ChildProcess::start(HANDLE userToken, bool newConsole, HANDLE* stdoutPipe,
                         HANDLE* stdinPipe) {
  if (info_.hProcess) {
    if (WaitForSingleObject(info_.hProcess, 0) != WAIT_OBJECT_0)
      return;
    await();
  }
  exitCode_ = StillActive;
  STARTUPINFOW startup;
  memset(&startup, 0, sizeof(startup));
  startup.cb = sizeof(startup);

  std::unique_ptr<Pipe> out, in;
  if (stdoutPipe) {
    out.reset(new Pipe(false));
    startup.hStdOutput = out->write;
  }
  if (stdinPipe) {
    in.reset(new Pipe(true));
    startup.hStdInput = in->read;
  }
  if (out || in)
    startup.dwFlags |= STARTF_USESTDHANDLES;

  create(userToken, newConsole ? CREATE_NEW_CONSOLE : CREATE_NO_WINDOW, &startup,
         inheritHandles_ || out || in);

  // The child's ends close with the pipes; ours go to the caller.
  if (out)
    *stdoutPipe = out->read.release();
  if (in)
    *stdinPipe = in->write.release();
}

void ChildProcess::create(HANDLE userToken, DWORD flags, STARTUPINFOW* startup, bool inherit) {
  plat::WString application(applicationPath_.c_str());
  plat::String line = commandLine();
  plat::WString commandLine(line.c_str());
  // CreateProcess may write into the command line.
  std::wstring mutableLine = commandLine.c_str();
  BOOL created;
  if (!userToken) {
    created = CreateProcessW(application.c_str(), &mutableLine[0], nullptr, nullptr, inherit, flags,
                             nullptr, nullptr, startup, &info_);
  } else {
    static plat::DynamicFnT<CreateEnvironmentBlockFn> createBlock("userenv",
                                                                  "CreateEnvironmentBlock");
    static plat::DynamicFnT<DestroyEnvironmentBlockFn> destroyBlock("userenv",
                                                                    "DestroyEnvironmentBlock");
    void* environment = nullptr;
    if (createBlock.isValid() && !createBlock.get()(&environment, userToken, FALSE))
      environment = nullptr;
    if (environment)
      flags |= CREATE_UNICODE_ENVIRONMENT;
    created = CreateProcessAsUserW(userToken, application.c_str(), &mutableLine[0], nullptr,
                                   nullptr, inherit, flags, environment, nullptr, startup, &info_);
    DWORD error = GetLastError();
    if (environment && destroyBlock.isValid())
      destroyBlock.get()(environment);
    SetLastError(error);
  }
  if (!created) {
    int error = (int)GetLastError();
    info_ = PROCESS_INFORMATION();
    throw plat::SystemException("unable to launch process", error);
  }
}

} // namespace addrbook
