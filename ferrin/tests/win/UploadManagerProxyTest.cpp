// "Send Files" choices reaching the main thread: whatever sending one
// throws is told to the window that asked, and the next choice still goes.
#include "ferrin/win/UploadManagerProxy.h"
#include "os/win/OleInitialiser.h"
#include "plat/win/EventManager.h"
#include "testing/FtEngine.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// Throws what the test gives it in place of the next share.
class RefusingUploads : public ft::UploadManager {
public:
  explicit RefusingUploads(ft::Extension* extension) : UploadManager(extension) {}
  uint32_t newShare(uint32_t shareId, uint32_t flags) override {
    std::function<void()> failing;
    failing.swap(failNext);
    if (failing)
      failing();
    return UploadManager::newShare(shareId, flags);
  }
  std::function<void()> failNext;
};

struct Told : ft::UploadManagerProxy::Failures {
  void sendFailed(HWND owner, const char* text) override { said.push_back({owner, text}); }
  std::vector<std::pair<HWND, std::string>> said;
};

} // namespace

TEST(UploadManagerProxy, WhateverSendingThrowsIsToldAndTheNextChoiceStillGoes) {
  os::OleInitialiser ole;
  plat::EventManager events;
  testing_support::Engine engine;
  testing_support::TempDir dir;
  testing_support::writeFile(dir.file("a.txt"), "a");
  RefusingUploads uploads(&engine.extension);
  Told told;
  ft::UploadManagerProxy proxy(&uploads, &told);
  HWND owner = (HWND)(uintptr_t)0x1234;
  const std::vector<std::function<void()>> throwers = {
      [] { throw std::bad_alloc(); }, [] { throw std::runtime_error("refused"); }};
  for (const std::function<void()>& thrower : throwers) {
    uploads.failNext = thrower;
    uint32_t before = uploads.currentShareId();
    proxy.sendFiles({os::ItemIdList(dir.file("a.txt").c_str())}, owner);
    proxy.sendFiles({os::ItemIdList(dir.file("a.txt").c_str())}, owner);
    MSG msg;
    events.awaitEvent(&msg, 0);
    // The first of the two failed; the second became the share.
    EXPECT_NE(before, uploads.currentShareId());
  }
  ASSERT_EQ(2u, told.said.size());
  EXPECT_EQ(owner, told.said[0].first);
  EXPECT_EQ("std::bad_alloc", told.said[0].second);
  EXPECT_EQ("refused", told.said[1].second);
}
