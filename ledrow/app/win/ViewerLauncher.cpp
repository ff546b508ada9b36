#include "ledrow/app/win/ViewerLauncher.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/win/ChildProcess.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/passwords/PasswordStore.h"
#include "os/win/ModuleFileName.h"
#include "plat/DString.h"
#include "plat/win/Handle.h"
#include "ui/win/MsgBox.h"

#include <string>

namespace addrbook {

namespace {

plat::String viewerProgram() {
  plat::String configured = viewerPath.getValueStr();
  if (configured.length() > 0)
    return configured;
  plat::String self = plat::String::adopt(os::getModuleFileName(nullptr));
  std::string path = self.isNull() ? "" : self.c_str();
  path = path.substr(0, path.find_last_of('\\') + 1) + "kivviewer.exe";
  return plat::String(path.c_str());
}

} // namespace

void reportViewerFailure(HWND owner, const char* why) {
  plat::DString text;
  text.appendf("Unable to start Kiv Viewer: %s", why);
  ui::MsgBox(owner, text.c_str(), MB_OK | MB_ICONERROR);
}

void ViewerLauncher::startViewer(const char* arguments, HANDLE* stdinPipe) {
  ChildProcess viewer(viewerProgram().c_str(), arguments);
  viewer.start(nullptr, false, nullptr, stdinPipe);
  viewer.close();
}

void ViewerLauncher::startViewerOrReport(const char* arguments, HWND owner) {
  try {
    startViewer(arguments, nullptr);
  } catch (const plat::Exception& e) {
    reportViewerFailure(owner, e.str());
  }
}

void ViewerLauncher::launchEntry(TreeLeaf* entry, HWND owner) {
  try {
    std::string arguments;
    ZeroingBytes password;
    bool piped = false;
    if (entry->config().isProtected()) {
      ZeroingBuffer master = passwords_->getPassword(owner);
      if (master.c_str()) {
        EncryptedConfig opened;
        opened = entry->config();
        opened.loadFromFile(entry->getPath());
        EncryptedConfig::Unlock unlocked = opened.unlock(master.c_str());
        if (unlocked != EncryptedConfig::Unlock::Opened) {
          ui::MsgBox(owner, EncryptedConfig::refusalText(unlocked), MB_OK | MB_ICONERROR);
          return;
        }
        password = opened.getPassword();
        arguments = "-console -passwd -";
        // Even an empty password goes through a pipe: a viewer told to read
        // its standard input must find our pipe there (and its end), never
        // the standard input this program was started with.
        piped = true;
      }
    }
    arguments += std::string(" -config \"") + entry->getPath() + "\"";
    if (!piped) {
      startViewer(arguments.c_str(), nullptr);
      return;
    }
    HANDLE pipe = nullptr;
    startViewer(arguments.c_str(), &pipe);
    plat::Handle input(pipe);
    DWORD written;
    // A viewer that ended early cannot take it; that is its own failure.
    if (password.length() > 0)
      WriteFile(input, password.data(), (DWORD)password.length(), &written, nullptr);
  } catch (const plat::Exception& e) {
    reportViewerFailure(owner, e.str());
  }
}

} // namespace addrbook
