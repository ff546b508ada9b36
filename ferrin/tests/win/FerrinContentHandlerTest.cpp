// The main thread's end of the clipboard watcher: "Pending" and "Ready"
// make one clipboard share of the files read, kept apart from a "Send
// files" share made meanwhile; a watcher that ends by itself is let go of
// before its events close.
#include "ClipDataObject.h"
#include "CopiedLists.h"

#include "ferrin/win/ClipboardFiles.h"
#include "ferrin/win/FerrinContentHandler.h"
#include "ferrin/win/UploadManagerProxy.h"
#include "ft/ShareProxy.h"
#include "os/win/OleInitialiser.h"
#include "plat/win/EventManager.h"
#include "testing/EventPump.h"
#include "testing/FtEngine.h"
#include "testing/RefusedWindows.h"
#include "testing/ReturnsWithin.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

struct ReadyShare {
  uint32_t flags;
  std::multiset<std::string> names;
};

// The other end: every share it listed, in order.
struct Listed : ft::Extension::ShareCallback {
  explicit Listed(ft::Extension* extension) : extension(extension) {
    extension->addShareCallback(this);
  }
  ~Listed() override { extension->removeShareCallback(this); }
  void sharePending(uint32_t, uint32_t) override {}
  void shareReady(ft::ShareProxy* share) override {
    ReadyShare ready{share->flags(), {}};
    for (const ft::ShareEntry* entry : *share)
      ready.names.insert(entry->name.c_str());
    shares.push_back(ready);
  }
  void shareWithdrawn(ft::ShareProxy*) override {}

  ft::Extension* extension;
  std::vector<ReadyShare> shares;
};

struct ContentHandler : testing::Test {
  os::OleInitialiser ole;
  plat::EventManager events;
  Engine a; // ferrin's
  Engine b; // the other end's
  Listed listed{&b.extension};
  std::unique_ptr<MemLink> link{new MemLink(&a, &b)};
  // Never started here: it only owns the reader.
  ui::clipboard::Thread* watcher = new ui::clipboard::Thread(0);
  ft::ClipboardFiles* files = new ft::ClipboardFiles(watcher);
  std::unique_ptr<ft::FerrinContentHandler> handler{
      new ft::FerrinContentHandler(files->handOff(), &a.upload())};
  TempDir dir;

  ~ContentHandler() override {
    handler.reset();
    link.reset();
    watcher->stop(1000);
  }

  // Runs the link and the thread's events until done() holds.
  bool pump(const std::function<bool()>& done, int ms = LongWaitMs) {
    return pumpStepping([&] { return link && link->step(); }, done, ms);
  }
  bool signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }
  void pending() {
    SetEvent(files->handOff()->pendingEvent());
    EXPECT_TRUE(pump([&] { return !signalled(files->handOff()->pendingEvent()); }));
  }
  // The reader's whole run over a copy of the file: "Pending", "Ready".
  void copied(const std::string& name) {
    writeFile(dir.file(name), name);
    clip::ClipDataObject* data = new com::ComObject<clip::ClipDataObject>;
    data->addBlock(CF_HDROP, clip::droppedFileList({wide(dir.file(name))}));
    EXPECT_TRUE(files->readDroppedFiles(data));
    static_cast<IDataObject*>(data)->Release();
  }
  bool listedShares(size_t n) {
    return pump([&] { return listed.shares.size() >= n; }) && listed.shares.size() == n;
  }
};

} // namespace

TEST_F(ContentHandler, TwoPendingBeforeOneReadyMakeOneShare) {
  pending();
  uint32_t first = a.upload().currentShareId();
  pending();
  EXPECT_EQ(first, a.upload().currentShareId());
  copied("one.txt");
  ASSERT_TRUE(listedShares(1));
  EXPECT_EQ(first, a.upload().currentShareId());
  EXPECT_EQ(2u, listed.shares[0].flags);
  EXPECT_EQ(std::multiset<std::string>{"one.txt"}, listed.shares[0].names);
}

TEST_F(ContentHandler, ASendFilesShareMadeWhileACopyIsReadKeepsItsOwnFiles) {
  // "Send files..." delivered between the copy's "Pending" and "Ready".
  ft::UploadManagerProxy proxy(&a.upload(), nullptr);
  pending();
  writeFile(dir.file("sent.txt"), "sent");
  proxy.sendFiles({os::ItemIdList(dir.file("sent.txt").c_str())}, nullptr);
  ASSERT_TRUE(listedShares(1));
  copied("copied.txt");
  ASSERT_TRUE(listedShares(2));
  EXPECT_EQ(1u, listed.shares[0].flags);
  EXPECT_EQ(std::multiset<std::string>{"sent.txt"}, listed.shares[0].names);
  EXPECT_EQ(2u, listed.shares[1].flags);
  EXPECT_EQ(std::multiset<std::string>{"copied.txt"}, listed.shares[1].names);
}

TEST(ContentHandlerWatcher, AWatcherThatCannotMakeItsWindowIsLetGoOf) {
  os::OleInitialiser ole;
  plat::EventManager events;
  Engine a;
  int before = events.eventCount();
  ui::clipboard::Thread* watcher = new ui::clipboard::Thread(0);
  ft::ClipboardFiles* files = new ft::ClipboardFiles(watcher);
  std::unique_ptr<ft::FerrinContentHandler> handler(
      new ft::FerrinContentHandler(files->handOff(), &a.upload()));
  ASSERT_GT(events.eventCount(), before);
  std::unique_ptr<RefusedWindows> refused(new RefusedWindows(watcher->getThreadId()));
  watcher->start();
  // Until the watcher has ended and its events are let go of; then once
  // more, with nothing of the watcher left to reach the wait.
  ULONGLONG deadline = GetTickCount64() + LongWaitMs;
  bool failed = false;
  for (bool ended = false; !failed;) {
    MSG msg;
    try {
      if (events.awaitEvent(&msg, ended ? 0 : 10))
        DispatchMessageW(&msg);
    } catch (const plat::Exception& e) {
      ADD_FAILURE() << e.str();
      failed = true;
    }
    if (ended || GetTickCount64() > deadline)
      break;
    ended = watcher->getState() != plat::Thread::Running && events.eventCount() == before;
  }
  refused.reset();
  EXPECT_EQ(before, events.eventCount());
  handler.reset();
  EXPECT_TRUE(watcher->stop(LongWaitMs));
}
