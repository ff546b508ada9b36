// File-transfer engines for tests and benchmarks: memory-backed upload
// sources and download sinks behind the engine's interfaces, an engine
// (extension, upload manager, download managers) ready to take
// connections, and a link that joins two engines through memory pipes the
// way a socket would.
#pragma once

#include "ft/ConnectionManager.h"
#include "ft/DownloadManager.h"
#include "ft/FileProxy.h"
#include "ft/ShareProxy.h"
#include "ft/UploadManager.h"
#include "ft/proxy/Extension.h"
#include "ft/proxy/MsgReceiver.h"
#include "plat/Exception.h"
#include "rdr/BufferedInStream.h"
#include "rdr/BufferedOutStream.h"
#include "rdr/MemInStream.h"
#include "rdr/OutStreamV4.h"
#include "RoomLimited.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace testing_support {

// A file of a local share whose contents are in memory. open can be made
// to fail.
class MemFile : public ft::FileProxy {
public:
  MemFile(const char* name, const std::string& contents)
      : MemFile(name, std::make_shared<std::string>(contents)) {}
  // Contents shared with other files.
  MemFile(const char* name, std::shared_ptr<std::string> contents)
      : ft::FileProxy(name, 0, contents->size(), 1, 2, 3), data(std::move(contents)) {}

  rdr::InStream* open(uint64_t offset, rfb::MsgHandler*, ft::Extension*) override {
    if (!openError.empty())
      throw plat::Exception(openError.c_str());
    opened++;
    if (outOfMemory)
      return new Starved;
    size_t at = offset < data->size() ? (size_t)offset : data->size();
    *letGoAt = -1;
    return new Reader(data, at, letGoAt);
  }

  std::shared_ptr<std::string> data;
  // Where the last reader opened stood when the upload let it go (it
  // ended or was dropped): the offset in the file; -1 while it is open.
  // Shared: the file goes with its share.
  std::shared_ptr<int64_t> letGoAt = std::make_shared<int64_t>(-1);
  std::string openError;
  // Reading runs out of memory (std::bad_alloc).
  bool outOfMemory = false;
  int opened = 0;

private:
  class Starved : public rdr::InStream {
  public:
    int pos() override { return 0; }

  protected:
    bool overrun(int) override { throw std::bad_alloc(); }
  };

  // Keeps the contents while it reads them, as an open file does when
  // its share goes away.
  class Reader : public rdr::MemInStream {
  public:
    Reader(std::shared_ptr<std::string> data, size_t at, std::shared_ptr<int64_t> letGoAt)
        : rdr::MemInStream(data->data() + at, (int)(data->size() - at)), data(data), at(at),
          letGoAt(letGoAt) {}
    ~Reader() override { *letGoAt = (int64_t)(at + pos()); }

  private:
    std::shared_ptr<std::string> data;
    size_t at;
    std::shared_ptr<int64_t> letGoAt;
  };
};

// A directory entry of a local share.
class MemDir : public ft::FileProxy {
public:
  explicit MemDir(const char* name) : ft::FileProxy(name, ft::ShareEntry::Directory, 0, 1, 2, 3) {}
  rdr::InStream* open(uint64_t, rfb::MsgHandler*, ft::Extension*) override {
    throw plat::Exception("Is a directory");
  }
};

// A download sink that keeps what it gets. Its window is what it has
// taken plus room, as for a sink that passes data on at once; it notes any
// byte that arrives beyond the limit it was granted.
class MemSink : public ft::DownloadManager::Stream {
public:
  explicit MemSink(uint64_t room = 1 << 20, uint64_t start = 0) : room(room), start(start) {}

  uint64_t window() override { return start + received.size() + room; }
  void write(const uint8_t* data, int length) override {
    if (start + received.size() + length > grantedLimit)
      overran = true;
    writes++;
    if (cancelAfter >= 0 && (int64_t)received.size() + length > cancelAfter)
      throw CancelledException();
    if (!failWith.empty())
      throw plat::Exception(failWith.c_str());
    received.append((const char*)data, length);
    // As a sink that passes data on does: the window has grown, so a write
    // cycle may renew it.
    if (afterWrite)
      afterWrite();
  }
  void close(const char* message) override {
    closes++;
    closeMessage = message ? message : "(null)";
    if (afterClose)
      afterClose();
  }

  bool closed() const { return closes > 0; }

  uint64_t room;
  uint64_t start;
  std::string received;
  int writes = 0;
  int closes = 0;
  std::string closeMessage;
  bool overran = false;
  // Cancel once more than this many bytes would have been taken.
  int64_t cancelAfter = -1;
  std::string failWith;
  std::function<void()> afterWrite;
  std::function<void()> afterClose;
};

// The program's side of the engine: one upload manager, a download manager
// per connection; remembers which connection got which.
class LocalManager : public ft::ConnectionManager {
public:
  explicit LocalManager(ft::Extension* extension) : upload(extension) {}

  ft::UploadManager* uploadManagerFor(ft::Extension*, rfb::MsgHandler*) override {
    return &upload;
  }
  ft::DownloadManager* createDownloadManager(ft::Extension* extension,
                                             rfb::MsgHandler* connection) override {
    ft::DownloadManager* manager = new ft::DownloadManager(extension, connection);
    downloads[connection] = manager;
    connections.push_back(connection);
    return manager;
  }
  void releaseConnection(ft::UploadManager*, ft::DownloadManager* manager) override {
    for (auto it = downloads.begin(); it != downloads.end(); ++it) {
      if (it->second == manager) {
        downloads.erase(it);
        break;
      }
    }
    released++;
    delete manager;
  }

  ft::UploadManager upload;
  std::map<rfb::MsgHandler*, ft::DownloadManager*> downloads;
  // Every connection ever served, in order.
  std::vector<rfb::MsgHandler*> connections;
  int released = 0;
};

// ferrin's extension, optionally asking for deflated data.
class TestExtension : public ft::proxy::Extension {
public:
  bool compressionAllowed(rfb::MsgHandler*) override { return compress; }
  bool compress = false;
};

struct LinkEnd;

// One engine. Its connections are removed before the upload manager goes.
// A connection the engine closes (its write cycle failed) is closed by its
// link end at the end's next step.
struct Engine : ft::Extension::Closer {
  TestExtension extension;
  LocalManager manager{&extension};
  std::vector<LinkEnd*> ends;

  Engine() {
    extension.setConnectionManager(&manager);
    extension.setCloser(this);
  }
  void closeConnection(rfb::MsgHandler* connection) override;
  ~Engine() {
    while (!manager.downloads.empty())
      extension.removeConnection(manager.downloads.begin()->first);
  }

  ft::UploadManager& upload() { return manager.upload; }
  // The first connection still served, and its download manager.
  rfb::MsgHandler* connection() {
    for (rfb::MsgHandler* c : manager.connections)
      if (manager.downloads.count(c))
        return c;
    return nullptr;
  }
  ft::DownloadManager* download() {
    rfb::MsgHandler* c = connection();
    return c ? manager.downloads[c] : nullptr;
  }
  // The id of the remote share now current, 0 when there is none.
  uint32_t currentShareId() {
    ft::ShareProxy* share = extension.getCurrentShare();
    uint32_t id = share ? share->shareId() : 0;
    if (share)
      share->release();
    return id;
  }
  // Starts a new share of the given files (ownership passes) and offers it.
  uint32_t share(std::vector<ft::FileProxy*> files, uint32_t flags = 2, uint32_t id = 0) {
    uint32_t shareId = upload().newShare(id, flags);
    for (ft::FileProxy* file : files)
      upload().addFile(file);
    upload().listComplete();
    extension.refreshUploads(&upload());
    return shareId;
  }
  // Registers a sink for entry `index` of the current remote share and
  // requests it whole.
  void fetch(uint32_t shareId, uint32_t index, const char* name, MemSink* sink) {
    ft::FileId id(shareId, index);
    rfb::MsgHandler* c = connection();
    sink->afterWrite = [this, c] { extension.scheduleWriteMsg(c); };
    download()->addStream(id, sink);
    download()->requestFile(id, name, 0, ~(uint64_t)0);
    extension.scheduleWriteMsg(c);
  }
};

// Bytes in flight between two ends, with the room of a socket's send
// buffer.
struct Pipe {
  std::string bytes;
  size_t readAt = 0;
  size_t capacity = 65536;
  uint64_t moved = 0;
  // The most one send takes (0: the output's whole buffer); with 1 each
  // message leaves as it ends.
  int sendSize = 0;
  // The other end has reset the connection: every send fails.
  bool reset = false;

  size_t size() const { return bytes.size() - readAt; }
};

// A test may pretend that the output has only so much free room, which what
// is written from then on uses up; a write beyond it fails the test.
class PipeOutStream : public RoomLimited<rdr::BufferedOutStream> {
public:
  // WSAECONNRESET.
  enum { ConnectionReset = 10054 };

  explicit PipeOutStream(Pipe* pipe) : pipe(pipe) { setNoWait(true); }

  // The room a file-transfer writer then sees: the framing's 2 bytes and
  // the extension's 15 less. Negative: no limit.
  void setSpace(int space) { setRoom(space < 0 ? -1 : space + 17, false); }

protected:
  int sendSize() const override {
    return pipe->sendSize > 0 ? pipe->sendSize : RoomLimited::sendSize();
  }
  int writeData(const uint8_t* buffer, int length, bool wait) override {
    if (pipe->reset)
      throw plat::SystemException("send", ConnectionReset);
    size_t free = pipe->capacity > pipe->size() ? pipe->capacity - pipe->size() : 0;
    size_t n = wait || (size_t)length < free ? (size_t)length : free;
    pipe->bytes.append((const char*)buffer, n);
    pipe->moved += n;
    return (int)n;
  }

private:
  Pipe* pipe;
};

class PipeInStream : public rdr::BufferedInStream {
public:
  explicit PipeInStream(Pipe* pipe) : pipe(pipe) {}

protected:
  int readData(uint8_t* buffer, int length) override {
    size_t n = pipe->size() < (size_t)length ? pipe->size() : (size_t)length;
    memcpy(buffer, pipe->bytes.data() + pipe->readAt, n);
    pipe->readAt += n;
    if (pipe->readAt == pipe->bytes.size()) {
      pipe->bytes.clear();
      pipe->readAt = 0;
    }
    return (int)n;
  }

private:
  Pipe* pipe;
};

// One end of a memory link, handled the way the socket server handles a
// socket: messages in through the receiver, the write cycle whenever the
// output can take more. A protocol error closes this end.
struct LinkEnd {
  LinkEnd(Engine* engine, Pipe* out, Pipe* in)
      : engine(engine), pipeOut(out), framed(&pipeOut), connection(&framed), pipeIn(in),
        receiver(&pipeIn) {}

  void open() {
    engine->ends.push_back(this);
    ft::Extension& ext = engine->extension;
    ext.connectionAdded(&connection);
    connection.setExtension(ext.name(), true);
    ext.extensionEnabled(&connection, ext.name());
    ext.uploadManagerFor(&connection);
    ext.downloadManagerFor(&connection);
    isOpen = true;
  }
  void close() {
    if (!isOpen)
      return;
    isOpen = false;
    engine->ends.erase(std::find(engine->ends.begin(), engine->ends.end(), this));
    ft::Extension& ext = engine->extension;
    ext.extensionDisabled(&connection, ext.name());
    connection.setExtension(ext.name(), false);
    ext.connectionClosed(&connection);
  }
  void receive() {
    if (closing)
      close();
    if (!isOpen)
      return;
    try {
      {
        ft::Extension::ReadingBatch batch(&engine->extension, &connection);
        receiver.receive(&engine->extension, &connection);
      }
      engine->extension.endOfBatch(&connection);
    } catch (plat::Exception& e) {
      error = e.str();
      close();
    }
  }
  void writable() {
    if (closing)
      close();
    try {
      pipeOut.flushSome(false);
    } catch (plat::Exception&) { // as the socket server closes a socket it cannot flush
      close();
      return;
    }
    if (isOpen && !pipeOut.hasPending())
      engine->extension.writeMsgs(&connection);
  }

  Engine* engine;
  PipeOutStream pipeOut;
  rdr::OutStreamV4 framed;
  ft::proxy::Extension::Connection connection;
  PipeInStream pipeIn;
  ft::proxy::MsgReceiver receiver;
  bool isOpen = false;
  // The engine asked for the connection to be closed.
  bool closing = false;
  std::string error;
};

inline void Engine::closeConnection(rfb::MsgHandler* connection) {
  for (LinkEnd* end : ends)
    if (&end->connection == connection)
      end->closing = true;
}

// Two engines joined through memory: a's output is b's input and back.
struct MemLink {
  MemLink(Engine* a, Engine* b) : a(a, &aToB, &bToA), b(b, &bToA, &aToB) {
    this->a.open();
    this->b.open();
  }
  ~MemLink() {
    a.close();
    b.close();
  }

  // Delivers what is in flight and lets both ends write, until nothing
  // moves any more or done() holds; false when steps ran out first.
  template <typename Done> bool runUntil(Done done, int maxSteps = 1000000) {
    for (int i = 0; i < maxSteps; i++) {
      if (done())
        return true;
      if (!step())
        return done();
    }
    return false;
  }
  bool run() {
    return runUntil([] { return false; });
  }
  // One round; true when bytes moved, or were written to leave with the
  // next round (a write cycle asked for outside the link's rounds).
  bool step() {
    uint64_t before = aToB.moved + bToA.moved;
    size_t inFlight = aToB.size() + bToA.size();
    int written = a.pipeOut.length() + b.pipeOut.length();
    a.receive();
    b.receive();
    a.writable();
    b.writable();
    return aToB.moved + bToA.moved != before || aToB.size() + bToA.size() != inFlight ||
           a.pipeOut.length() + b.pipeOut.length() != written;
  }

  Pipe aToB;
  Pipe bToA;
  LinkEnd a;
  LinkEnd b;
};

} // namespace testing_support
