// Starting the viewer: on an entry's file, with a password protected by
// the master password handed over through the viewer's standard input
// (never on its command line), or with arguments the user typed.
#pragma once

#include <windows.h>

namespace addrbook {

class PasswordStore;
class TreeLeaf;

class ViewerLauncher {
public:
  explicit ViewerLauncher(PasswordStore* passwords) : passwords_(passwords) {}

  // Failures are shown in message boxes owned by owner; the entry is left
  // as it was.
  void launchEntry(TreeLeaf* entry, HWND owner);
  // The viewer (ViewerPath, else kivviewer.exe beside this program) with
  // arguments after its quoted path; with stdinPipe, the end of its
  // standard input that the caller writes and closes. The viewer runs on
  // by itself. Throws plat::SystemException.
  void startViewer(const char* arguments, HANDLE* stdinPipe);
  // startViewer without a pipe, failures shown over owner.
  void startViewerOrReport(const char* arguments, HWND owner);

private:
  PasswordStore* passwords_;
};

// "Unable to start Kiv Viewer: <why>" over owner.
void reportViewerFailure(HWND owner, const char* why);

} // namespace addrbook
