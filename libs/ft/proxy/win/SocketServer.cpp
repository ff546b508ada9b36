#include "ft/proxy/win/SocketServer.h"

#include "ft/proxy/MsgReceiver.h"
#include "io/Io.h"
#include "net/Socket.h"
#include "plat/Assert.h"
#include "plat/LogWriter.h"
#include "rdr/OutStreamV4.h"
#include "rdr/win/FdInStream.h"
#include "rdr/win/FdOutStream.h"

namespace ft {
namespace proxy {

// Bounds the work one writable event does, so that reading is not starved.
static const int MaxCyclesPerWritable = 64;
// Cycles after which what they wrote leaves even if it is no whole send.
static const int CyclesBeforeFlush = 16;

namespace {

plat::LogWriter vlog("FTSocketServer");

} // namespace

SocketServer::SocketServer(Extension* extension_)
    : extension(extension_), eventManager(plat::EventManager::threadInstanceOrNull()) {
  extension->setCloser(this);
  if (!eventManager)
    return;
  wakeEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!wakeEvent)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  if (!eventManager->addEvent(wakeEvent, this, "FTSocketServer"))
    throw plat::Exception("addEvent(FTSocketServer)");
  extension->setWaker(this);
  eventManager->addBlockHandler(this);
}

SocketServer::~SocketServer() {
  extension->setCloser(nullptr);
  if (!wakeEvent)
    return;
  eventManager->removeBlockHandler(this);
  extension->setWaker(nullptr);
  eventManager->removeEvent(wakeEvent);
}

void SocketServer::beforeBlock(int*) {
  for (auto& entry : sockets) {
    try {
      extension->endOfBatch(entry.second.connection.get());
    } catch (...) {
      closeFailed(entry.first, "endOfBatch");
    }
  }
  // The sinks' writes free room and ask for the write cycles that renew
  // the windows: they run now, before the wait, and not in a pass of the
  // event loop of their own.
  if (extension->writesRequested())
    runRequestedWrites();
}

void SocketServer::processEvent(HANDLE) {
  runRequestedWrites();
}

void SocketServer::runRequestedWrites() {
  ResetEvent(wakeEvent);
  try {
    extension->runRequestedWrites();
  } catch (...) {
    vlog.error("runRequestedWrites: %s", plat::caughtText());
  }
  for (auto& entry : sockets) {
    try {
      flushOutput(entry.first);
    } catch (...) {
      closeFailed(entry.first, "flush");
    }
  }
}

void SocketServer::closeFailed(net::Socket* socket, const char* what) {
  // Called from a catch block: the failure is the one being handled.
  vlog.error("%s: %s", what, plat::caughtText());
  // The socket goes at the fd manager's next dispatch; the server hears
  // removeSocket then.
  socket->shutdownNoFlush();
}

void SocketServer::flushOutput(net::Socket* socket) {
  // Without waiting: what the socket does not take now leaves when it is
  // writable again.
  socket->io()->outStream().flush();
}

void SocketServer::wake() {
  SetEvent(wakeEvent);
}

void SocketServer::closeConnection(rfb::MsgHandler* connection) {
  for (auto& entry : sockets) {
    if (entry.second.connection.get() == connection) {
      entry.first->shutdownNoFlush();
      return;
    }
  }
}

Extension::Connection* SocketServer::connectionOf(net::Socket* socket) {
  auto it = sockets.find(socket);
  return it == sockets.end() ? nullptr : it->second.connection.get();
}

void SocketServer::addSocket(net::Socket* socket, bool outgoing) {
  io::Io* io = socket->io();
  PLAT_ASSERT(io);
  Record& record = sockets[socket];
  record.out.reset(new rdr::OutStreamV4(&io->outStream()));
  record.receiver.reset(new MsgReceiver(&io->inStream()));
  record.connection.reset(new Extension::Connection(record.out.get()));
  Extension::Connection* connection = record.connection.get();
  extension->connectionAdded(connection);
  connection->setExtension(extension->name(), true);
  extension->extensionEnabled(connection, extension->name());
  extension->uploadManagerFor(connection);
  extension->downloadManagerFor(connection);
}

void SocketServer::removeSocket(net::Socket* socket) {
  auto it = sockets.find(socket);
  if (it == sockets.end()) {
    vlog.error("removeSocket on unknown socket");
    return;
  }
  Extension::Connection* connection = it->second.connection.get();
  extension->extensionDisabled(connection, extension->name());
  connection->setExtension(extension->name(), false);
  extension->connectionClosed(connection);
  sockets.erase(it);
}

void SocketServer::socketReadable(net::Socket* socket) {
  auto it = sockets.find(socket);
  if (it == sockets.end()) {
    vlog.error("socketReadable on unknown socket");
    return;
  }
  Extension::Connection* connection = it->second.connection.get();
  // So that the other end serves the next files and sends on in new
  // windows while this one still works through the batch.
  auto afterMsg = [&] {
    if (extension->writeEarly(connection))
      flushOutput(socket);
  };
  try {
    Extension::ReadingBatch batch(extension, connection);
    it->second.receiver->receive(extension, connection, afterMsg);
  } catch (...) {
    vlog.info("readMsg: %s", plat::caughtText());
    socket->shutdownNoFlush();
    return;
  }
  // Without an event loop to wait in, the sinks write what they held back
  // now. Then what the messages read call for (renewals of the windows
  // writes freed, requests, replies) is written in one write cycle. It
  // leaves with what the writable handling that follows in the same
  // dispatch adds to it, in as few sends as it takes.
  if (!eventManager)
    extension->endOfBatch(connection);
  extension->writeMsgs(connection);
}

void SocketServer::socketWritable(net::Socket* socket) {
  auto it = sockets.find(socket);
  if (it == sockets.end()) {
    vlog.error("socketWritable on unknown socket");
    return;
  }
  // A cycle sends at most one data message, and each writable event costs a
  // pass through the event loop. While cycles still have more to write and
  // the output takes it, run them now: whole sends leave as they fill, and
  // the rest at the end.
  rdr::OutStreamV4* out = it->second.out.get();
  rdr::FdOutStream& sending = socket->io()->outStream();
  Extension::Connection* connection = it->second.connection.get();
  int64_t sent = sending.sentLength();
  for (int cycle = 0; cycle < MaxCyclesPerWritable; cycle++) {
    int before = out->length();
    extension->writeMsgs(connection);
    if (sockets.find(socket) == sockets.end())
      return;
    if (!extension->writesPending(connection) || out->length() == before)
      break;
    // Small messages (deflated data above all) may take long to fill a
    // whole send; held back meanwhile they would let the other end's
    // window run dry before it hears of them.
    if (cycle % CyclesBeforeFlush == CyclesBeforeFlush - 1) {
      if (sending.sentLength() == sent)
        flushOutput(socket);
      sent = sending.sentLength();
    }
  }
  flushOutput(socket);
  // The fd manager tells a handler writable again once its output went, so
  // that it may write more; with nothing more to write here that would
  // only cost a pass of the event loop.
  if (!extension->writesPending(connection))
    socket->io()->outStream().clearUsed();
}

} // namespace proxy
} // namespace ft
