#include "ferrin/win/AppMain.h"
#include "com/win/MtaThread.h"
#include "ferrin/win/FerrinSocketServer.h"
#include "ferrin/win/MainLoop.h"
#include "ferrin/win/ClipboardFiles.h"
#include "ferrin/win/FerrinContentHandler.h"
#include "ferrin/win/FileTransferThread.h"
#include "ferrin/win/SetGlobalConfig.h"
#include "ferrin/win/ShareClipboard.h"
#include "ui/win/ClipboardThread.h"
#include "ferrin/win/StartupArgs.h"
#include "ferrin/win/Win32FileTransferManager.h"
#include "ft/proxy/Extension.h"
#include "ft/win/ASAD_PFFDT_Glue.h"
#include "io/win/TcpIo.h"
#include "io/win/TcpTarget.h"
#include "io/win/WinsockManager.h"
#include "net/win/EventSocketManager.h"
#include "net/win/TcpSocket.h"
#include "os/win/Console.h"
#include "os/win/OSVersionInfo.h"
#include "os/win/OleInitialiser.h"
#include "os/win/RegKey.h"
#include "os/win/RegMonitor.h"
#include "plat/Assert.h"
#include "plat/CallCounter.h"
#include "plat/LogWriter.h"
#include "plat/TimerManager.h"
#include "plat/win/AppInit.h"
#include "plat/win/EventManager.h"
#include "rdr/win/FdOutStream.h"

#include <commctrl.h>
#include <memory>

namespace ferrin {

static plat::LogWriter vlog("ferrin");

namespace {

// The cookie goes first, unframed, most significant byte first.
void writeCookie(io::Io* io, uint32_t cookie) {
  rdr::FdOutStream& out = io->outStream();
  out.writeU32(cookie);
  out.flush();
}

// Stops the clipboard watcher, giving it a second to end.
struct StopWatcher {
  void operator()(ui::clipboard::Thread* watcher) const { watcher->stop(1000); }
};

// What outlives OLE and the main thread's managers, deleted last of all
// (also after a failure), in this order: the clipboard watcher, the
// clipboard share (one of the extension's share callbacks), the
// multithreaded apartment (its end releases what pasting programs still
// hold, down to shares of the extension), the extension.
struct Outlasting {
  std::unique_ptr<ft::proxy::Extension> extension;
  std::unique_ptr<com::MtaThread> apartment;
  std::unique_ptr<ft::ShareClipboard> shareClipboard;
  std::unique_ptr<ui::clipboard::Thread, StopWatcher> clipboardWatcher;
};

// Everything from OLE to the end of the main loop. The objects are made in
// the order below and released in the reverse order as the scope ends.
// The clipboard watcher's content handler goes first of all: its events
// are registered with this thread's event manager.
int serve(const StartupArgs& start, os::RegKey* settingsKey, HINSTANCE instance,
          const wchar_t* icon, Outlasting& outlasting) {
  os::OleInitialiser ole;
  os::initComSecurity();
  plat::EventManager eventManager;
  outlasting.extension.reset(new ft::proxy::Extension);
  ft::proxy::Extension* extension = outlasting.extension.get();
  if (start.clipboardSharing) {
    // Pastes by other programs are served there, not by this thread.
    try {
      outlasting.apartment.reset(new com::MtaThread);
    } catch (const plat::Exception& e) {
      vlog.error("%s", e.str());
    }
    outlasting.shareClipboard.reset(new ft::ShareClipboard(extension));
  }
  // Shares flagged for the fetch folder are saved there without asking.
  ft::ASAD_PFFDT_Glue autoDownload(extension);
  ft::Win32FileTransferManager fileTransferManager(extension);
  ft::FileTransferThread windowThread(&autoDownload.autoDownloader().shareDownloader(),
                                      &fileTransferManager.uploadManager(), true,
                                      start.serviceMode, settingsKey, icon, instance);
  windowThread.start();
  autoDownload.promptThread().setOwnerWindow(windowThread.dialogWindow());
  // The server before the Winsock manager: block handlers run in the order
  // they were added, and what the server's write cycles write just before
  // the thread waits is pushed out, and the socket told writable again,
  // by the Winsock manager's, in the same pass. The other way round the
  // thread would wait with that output unlooked at.
  FerrinSocketServer server(extension);
  net::EventSocketManager socketManager(new io::WinsockManager);
  plat::TimerManager timerManager;
  std::unique_ptr<ft::FerrinContentHandler> contentHandler;
  if (start.clipboardSharing) {
    outlasting.clipboardWatcher.reset(new ui::clipboard::Thread(0));
    ft::ClipboardFiles* files = new ft::ClipboardFiles(outlasting.clipboardWatcher.get());
    contentHandler.reset(
        new ft::FerrinContentHandler(files->handOff(), &fileTransferManager.uploadManager()));
    outlasting.clipboardWatcher->start();
  }

  if (strcmp(start.host.c_str(), "0.0.0.0") == 0) {
    // Stand-alone: no connection; only WM_QUIT ends the program.
    server.connected = true;
    windowThread.showDialog();
  } else {
    io::TcpTarget target(start.host.c_str(), start.port, 0);
    io::Io* io = target.connect();
    PLAT_ASSERT(io);
    net::TcpSocket* socket = new net::TcpSocket(io->asTcpIo());
    writeCookie(io, start.cookie);
    socketManager.addSocket(socket, &server, true);
  }
  return runMainLoop(server.connected);
}

} // namespace

int appMain(HINSTANCE instance, const plat::CommandLineArgs& args, const wchar_t* iconName) {
  Outlasting outlasting;
  int exitCode = 1;
  try {
    plat::appInit("ferrin", os::osVersion().isNT() ? "*:EventLog:0" : "*:file:0");
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);

    StartupArgs start = parseStartupArgs(args);
    os::RegKey settingsKey;
    os::RegKey userHive(HKEY_CURRENT_USER);
    settingsKey.createKey(userHive, settingsKeyPath(start.serviceMode));
    SetGlobalConfig setGlobalConfig;
    os::RegMonitor::reportAll(settingsKey, &setGlobalConfig);
    os::Console console;
    applyOptionalArgs(args, console);

    exitCode = serve(start, &settingsKey, instance, iconName, outlasting);
  } catch (...) {
    vlog.error("%s", plat::caughtText());
    exitCode = 1;
  }
  plat::logCallCounts();
  return exitCode;
}

} // namespace ferrin
