// A withdrawn remote share comes off the clipboard even when another window
// holds the clipboard open at that moment: it is tried again once the
// clipboard is free, and only what is still our rendering of that share
// goes.
#include "ferrin/win/ClipboardFormats.h"
#include "ferrin/win/ShareClipboard.h"
#include "ft/ShareProxy.h"
#include "os/win/OleInitialiser.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "testing/ClipboardText.h"
#include "testing/EventPump.h"
#include "testing/FtEngine.h"
#include "testing/ReturnsWithin.h"
#include "win/ClipboardHolder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testing_support;
using ferrin_test::ClipboardHolder;

namespace {

struct ClipboardWithdrawal : testing::Test {
  os::OleInitialiser ole;
  plat::EventManager events;
  plat::TimerManager timers;
  Engine a;
  Engine b;
  ft::ShareClipboard clipboard{&b.extension};
  MemLink link{&a, &b};

  ~ClipboardWithdrawal() override { OleSetClipboard(nullptr); }

  // The link and the thread's events, no timers: a retry waits meanwhile.
  bool step(const std::function<bool()>& done) {
    return pumpStepping([&] { return link.step(); }, done, LongWaitMs);
  }

  // A share from a, once it is ready on b: its data object is on the
  // clipboard.
  uint32_t onClipboard(const char* name) {
    uint32_t id = a.share({new MemFile(name, name)}, 2);
    EXPECT_TRUE(step([&] { return b.currentShareId() == id; }));
    EXPECT_TRUE(IsClipboardFormatAvailable(ft::fileGroupDescriptorWFormat()));
    return id;
  }

  // a withdraws the share while another window holds the clipboard open;
  // true when the withdrawal waits for the clipboard.
  bool withdrawnWhileHeld(uint32_t id) {
    a.upload().withdrawShare(a.connection(), id);
    EXPECT_TRUE(step([&] { return b.currentShareId() != id; }));
    return timers.timeUntilNext() != -1;
  }

  // Runs the loop, timers too, until nothing waits for the clipboard.
  bool waitEnds() {
    return pumpUntil([&] { return timers.timeUntilNext() == -1; }, LongWaitMs);
  }
};

} // namespace

TEST_F(ClipboardWithdrawal, ItComesOffOnceTheClipboardIsLetGo) {
  uint32_t id = onClipboard("withdrawn");
  ClipboardHolder holder;
  ASSERT_TRUE(holder.holds());
  EXPECT_TRUE(withdrawnWhileHeld(id));
  // Still there while the clipboard is held.
  EXPECT_TRUE(IsClipboardFormatAvailable(ft::fileGroupDescriptorWFormat()));
  ASSERT_TRUE(holder.letGo());
  EXPECT_TRUE(waitEnds());
  EXPECT_FALSE(IsClipboardFormatAvailable(ft::fileGroupDescriptorWFormat()));
  EXPECT_FALSE(IsClipboardFormatAvailable(ft::privateFormat()));
}

TEST_F(ClipboardWithdrawal, ANewerShareEndsTheWaitAndStays) {
  uint32_t older = onClipboard("older");
  ClipboardHolder holder;
  ASSERT_TRUE(holder.holds());
  EXPECT_TRUE(withdrawnWhileHeld(older));
  // The next copy's advertisement, as the extension tells it.
  clipboard.sharePending(older + 1, 2);
  EXPECT_EQ(-1, timers.timeUntilNext());

  // Its listing completes while the clipboard is still held: it waits to
  // go on, and goes on once the clipboard is let go.
  uint32_t newer = a.share({new MemFile("newer", "newer")}, 2);
  ASSERT_TRUE(step([&] { return b.currentShareId() == newer; }));
  ASSERT_TRUE(holder.letGo());
  EXPECT_TRUE(waitEnds());
  IDataObject* data = nullptr;
  ASSERT_EQ(S_OK, OleGetClipboard(&data));
  ft::PrivateRecord record = {};
  EXPECT_TRUE(ft::readPrivateRecord(data, &record));
  data->Release();
  EXPECT_EQ(newer, record.shareId);
  EXPECT_EQ(GetCurrentProcessId(), record.processId);
}

TEST_F(ClipboardWithdrawal, AnotherProgramsCopyMeanwhileStays) {
  uint32_t id = onClipboard("withdrawn");
  ClipboardHolder holder;
  ASSERT_TRUE(holder.holds());
  EXPECT_TRUE(withdrawnWhileHeld(id));
  ASSERT_TRUE(holder.letGo());
  // Another program copies before the next try comes round.
  ASSERT_TRUE(putClipboardText(L"copied meanwhile"));
  EXPECT_TRUE(waitEnds());
  EXPECT_EQ(L"copied meanwhile", clipboardText());
}
