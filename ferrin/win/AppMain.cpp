#include "ferrin/win/AppMain.h"
#include "ferrin/win/FerrinSocketServer.h"
#include "ferrin/win/MainLoop.h"
#include "ferrin/win/SetGlobalConfig.h"
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

// Everything from OLE to the end of the main loop. The objects are made in
// the order below and released in the reverse order as the scope ends.
//
// Three steps of the order have no code yet because ferrin has no windows
// and no clipboard side: the clipboard share (after the extension, when
// clipboard sharing is on), the file-transfer window thread (after the
// file-transfer manager) and the clipboard watcher (after the timer
// manager). Each goes in its place in this order.
// The extension is made here but outlives everything else: it is deleted by
// the caller after OLE has been released.
int serve(const StartupArgs& start, std::unique_ptr<ft::proxy::Extension>& extension) {
  os::OleInitialiser ole;
  os::initComSecurity();
  plat::EventManager eventManager;
  extension.reset(new ft::proxy::Extension);
  // Shares flagged for the fetch folder are saved there without asking.
  ft::ASAD_PFFDT_Glue autoDownload(extension.get());
  ft::Win32FileTransferManager fileTransferManager(extension.get());
  FerrinSocketServer server(extension.get());
  net::EventSocketManager socketManager(new io::WinsockManager);
  plat::TimerManager timerManager;

  if (strcmp(start.host.c_str(), "0.0.0.0") == 0) {
    // Stand-alone: no connection; only WM_QUIT ends the program.
    server.connected = true;
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

int appMain(HINSTANCE, const plat::CommandLineArgs& args, const wchar_t*) {
  std::unique_ptr<ft::proxy::Extension> extension;
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

    exitCode = serve(start, extension);
  } catch (const plat::Exception& e) {
    vlog.error("%s", e.str());
    exitCode = 1;
  }
  plat::logCallCounts();
  return exitCode;
}

} // namespace ferrin
