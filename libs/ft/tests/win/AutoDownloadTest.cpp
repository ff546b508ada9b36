// Shares flagged for the fetch folder, downloaded as soon as they are
// listed: into FetchDir, or into the folder the user picks when FetchDir
// is "?". The folder browser is replaced by a prompt the test answers.
#include "ft/Parameters.h"
#include "ft/ShareProxy.h"
#include "ft/win/ASAD_PFFDT_Glue.h"
#include "ft/win/FetchDir.h"
#include "os/win/SpecialFolder.h"
#include "plat/win/EventManager.h"
#include "testing/FtEngine.h"
#include "testing/RecordingLogger.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

// FetchDir for the length of a test.
class FetchDir {
public:
  explicit FetchDir(const char* value) { ft::fetchDir.setParam(value, plat::PriorityUser); }
  ~FetchDir() { ft::fetchDir.removeValue(plat::PriorityUser); }
};

// Asks nobody: records the titles and errors, and answers with what the
// test queued, waiting for it at most 30 s (then as if cancelled).
class QueuedPrompt : public ft::FolderPrompt {
public:
  QueuedPrompt() : ready(CreateSemaphoreW(nullptr, 0, 100, nullptr)) {}
  ~QueuedPrompt() override { CloseHandle(ready); }

  plat::String chooseFolder(HWND, const char* title) override {
    std::function<void()> failing;
    {
      plat::Lock l(lock);
      titles_.push_back(title);
      failing.swap(failNext);
    }
    if (failing)
      failing();
    int now = ++open;
    if (now > maxOpen)
      maxOpen = now;
    std::string answer;
    bool chosen = false;
    if (WaitForSingleObject(ready, 30000) == WAIT_OBJECT_0) {
      plat::Lock l(lock);
      chosen = answers.front().first;
      answer = answers.front().second;
      answers.pop_front();
    }
    open--;
    return chosen ? plat::String(answer.c_str()) : plat::String();
  }
  void showError(HWND, const char* text) override {
    plat::Lock l(lock);
    errors_.push_back(text);
  }

  void choose(const std::string& folder) { queue(true, folder); }
  // The next question throws what this throws.
  void fail(std::function<void()> thrower) {
    plat::Lock l(lock);
    failNext = std::move(thrower);
  }
  void cancel() { queue(false, ""); }

  std::vector<std::string> titles() {
    plat::Lock l(lock);
    return titles_;
  }
  std::vector<std::string> errors() {
    plat::Lock l(lock);
    return errors_;
  }

  std::atomic<int> open{0};
  std::atomic<int> maxOpen{0};

private:
  void queue(bool chosen, const std::string& folder) {
    {
      plat::Lock l(lock);
      answers.push_back({chosen, folder});
    }
    ReleaseSemaphore(ready, 1, nullptr);
  }

  plat::Mutex lock;
  HANDLE ready;
  std::deque<std::pair<bool, std::string>> answers;
  std::vector<std::string> titles_;
  std::vector<std::string> errors_;
  std::function<void()> failNext;
};

std::string contentsOf(const std::string& path) {
  if (GetFileAttributesW(wide(path).c_str()) == INVALID_FILE_ATTRIBUTES)
    return "(missing)";
  return readFile(path);
}

bool isEmptyFolder(const std::string& path) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(wide(path + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return true;
  int entries = 0;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..")
      entries++;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return entries == 0;
}

// Engine a offers shares; engine b downloads them through the glue.
struct AutoDownload : testing::Test {
  plat::EventManager events;
  QueuedPrompt prompt;
  TempDir folder;
  Engine a;
  Engine b;
  ft::ASAD_PFFDT_Glue glue{&b.extension, &prompt};
  std::unique_ptr<MemLink> link{new MemLink(&a, &b)};

  // Runs the link and the main thread's events until done() holds.
  bool pump(const std::function<bool()>& done, int ms = 30000) {
    ULONGLONG deadline = GetTickCount64() + (ULONGLONG)ms;
    while (!done()) {
      if (GetTickCount64() > deadline)
        return false;
      bool moved = link && link->step();
      MSG msg;
      if (events.awaitEvent(&msg, moved ? 0 : 2)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    return true;
  }
  // Lets whatever is under way settle for a moment.
  void settle() {
    ULONGLONG until = GetTickCount64() + 200;
    pump([&] { return GetTickCount64() > until; });
  }

  // a offers one file; true once b has its listing.
  bool offer(const char* name, const std::string& contents, uint32_t flags) {
    uint32_t id = a.share({new MemFile(name, contents)}, flags);
    return pump([&] { return b.currentShareId() == id; });
  }
  bool arrives(const std::string& path, const std::string& contents) {
    return pump([&] { return contentsOf(path) == contents; });
  }
};

} // namespace

TEST_F(AutoDownload, OnlySharesFlaggedForTheFolderStartIt) {
  FetchDir dir(folder.path().c_str());
  ASSERT_TRUE(offer("pasted.txt", "for the clipboard", 2));
  settle();
  EXPECT_TRUE(isEmptyFolder(folder.path()));

  ASSERT_TRUE(offer("saved.txt", "into the folder", 1));
  EXPECT_TRUE(arrives(folder.file("saved.txt"), "into the folder"));
  ASSERT_TRUE(offer("both.txt", "either way", 3));
  EXPECT_TRUE(arrives(folder.file("both.txt"), "either way"));
  EXPECT_TRUE(prompt.titles().empty());
}

TEST_F(AutoDownload, AnEmptyShareIsNeitherAskedAboutNorKept) {
  FetchDir ask("?");
  RecordingLogger log;
  log.attach("ftExtension:record:100");
  uint32_t id = a.share({}, 1);
  EXPECT_TRUE(pump([&] { return log.has("ftExtension: Remote releasing " + std::to_string(id)); }));
  settle();
  EXPECT_TRUE(prompt.titles().empty());
}

TEST_F(AutoDownload, FetchDirValues) {
  {
    FetchDir dir("D:\\incoming");
    EXPECT_STREQ("D:\\incoming", ft::defaultFetchDir().c_str());
    EXPECT_FALSE(ft::fetchDirAsksEveryTime());
  }
  {
    FetchDir dir("");
    EXPECT_STREQ(os::getSpecialFolderPath().c_str(), ft::defaultFetchDir().c_str());
    EXPECT_FALSE(ft::fetchDirAsksEveryTime());
  }
  FetchDir ask("?");
  EXPECT_TRUE(ft::fetchDirAsksEveryTime());
}

TEST_F(AutoDownload, AskEveryTime) {
  FetchDir ask("?");
  ASSERT_TRUE(offer("report.txt", "twelve bytes", 1));
  ASSERT_TRUE(pump([&] { return prompt.titles().size() == 1; }));
  EXPECT_EQ("Select folder to save report.txt (12 bytes):", prompt.titles()[0]);
  prompt.choose(folder.path());
  EXPECT_TRUE(arrives(folder.file("report.txt"), "twelve bytes"));
  EXPECT_TRUE(prompt.errors().empty());
}

TEST_F(AutoDownload, TwoSharesAreAskedForOneAfterTheOther) {
  FetchDir ask("?");
  TempDir second;
  ASSERT_TRUE(offer("first.txt", "1", 1));
  ASSERT_TRUE(pump([&] { return prompt.open == 1; }));
  ASSERT_TRUE(offer("second.txt", "22", 1));
  settle();
  // The second question waits until the first is answered.
  EXPECT_EQ(1u, prompt.titles().size());
  prompt.choose(folder.path());
  ASSERT_TRUE(pump([&] { return prompt.titles().size() == 2; }));
  EXPECT_EQ("Select folder to save second.txt (2 bytes):", prompt.titles()[1]);
  prompt.choose(second.path());
  EXPECT_TRUE(arrives(folder.file("first.txt"), "1"));
  EXPECT_TRUE(arrives(second.file("second.txt"), "22"));
  EXPECT_EQ(1, prompt.maxOpen);
}

TEST_F(AutoDownload, APromptThatThrowsIsToldAndTheNextShareIsStillAskedFor) {
  FetchDir ask("?");
  prompt.fail([] { throw std::runtime_error("no browser"); });
  ASSERT_TRUE(offer("first.txt", "1", 1));
  ASSERT_TRUE(pump([&] { return !prompt.errors().empty(); }, 10000));
  EXPECT_EQ("no browser", prompt.errors()[0]);
  ASSERT_TRUE(offer("second.txt", "22", 1));
  ASSERT_TRUE(pump([&] { return prompt.titles().size() == 2; }, 10000));
  prompt.choose(folder.path());
  EXPECT_TRUE(arrives(folder.file("second.txt"), "22"));
  EXPECT_EQ(1u, prompt.errors().size());
}

TEST_F(AutoDownload, ShareGoneBeforeTheAnswer) {
  FetchDir ask("?");
  ASSERT_TRUE(offer("late.txt", "too late", 1));
  ASSERT_TRUE(pump([&] { return prompt.open == 1; }));
  // The connection goes while the user is choosing.
  link.reset();
  prompt.choose(folder.path());
  ASSERT_TRUE(pump([&] { return !prompt.errors().empty(); }));
  EXPECT_EQ("The files are no longer available.", prompt.errors()[0]);
  EXPECT_TRUE(isEmptyFolder(folder.path()));
}

TEST_F(AutoDownload, CancelledPromptLeavesNoPendingReference) {
  FetchDir ask("?");
  ASSERT_TRUE(offer("f", "abc", 1));
  uint32_t id = b.currentShareId();
  ASSERT_TRUE(pump([&] { return prompt.open == 1; }));
  prompt.cancel();
  ASSERT_TRUE(pump([&] { return prompt.open == 0; }));
  settle();
  EXPECT_TRUE(isEmptyFolder(folder.path()));
  // Once b no longer has it as its current share, nothing holds the share
  // any more: b releases it, and a stops serving it.
  b.download()->clearCurrentShare();
  link->run();
  MemSink late(4096);
  b.fetch(id, 0, "f", &late);
  ASSERT_TRUE(pump([&] { return late.closed(); }));
  EXPECT_EQ("File not shared: f", late.closeMessage);
  EXPECT_TRUE(prompt.errors().empty());
}

namespace {

// What the downloads model would show the user beside the downloads.
struct ShownErrors : ft::ShareDownloader::SDCallback {
  void downloadStarted(const ft::ShareDownloader::DownloadId&,
                       const std::set<std::string>&) override {}
  void setRootDir(const ft::ShareDownloader::DownloadId&, const char*) override {}
  void fileStarting(const ft::ShareDownloader::DownloadId&, const char*) override {}
  void setIconPath(const ft::ShareDownloader::DownloadId&, const char*) override {}
  void downloadFailed(const ft::ShareDownloader::DownloadId&, const char*, bool) override {}
  void showError(const char* message) override { messages.push_back(message); }
  void progress(const ft::ShareDownloader::DownloadId&, uint64_t, uint64_t, uint32_t,
                uint32_t) override {}
  void downloadComplete(const ft::ShareDownloader::DownloadId&) override {}

  std::vector<std::string> messages;
};

} // namespace

TEST(AutoDownloadWithoutPrompt, AskingWithNobodyToAskIsReported) {
  FetchDir ask("?");
  Engine a;
  Engine b;
  ShownErrors shown;
  ft::ActiveShareAutoDownloader downloader(&b.extension, nullptr);
  downloader.shareDownloader().setCallback(&shown);
  MemLink link(&a, &b);
  uint32_t id = a.share({new MemFile("f", "abc")}, 1);
  link.run();
  ASSERT_EQ(1u, shown.messages.size());
  EXPECT_EQ("No download directory is configured, and no default could be\n"
            "determined. Please configure a download directory below.",
            shown.messages[0]);
  // The share was not kept back either.
  b.download()->clearCurrentShare();
  link.run();
  MemSink late(4096);
  b.fetch(id, 0, "f", &late);
  link.run();
  EXPECT_EQ("File not shared: f", late.closeMessage);
}

// The other end resets the connection as it lists an empty share for the
// folder: the share's release, asked for from within the share's own
// making, cannot go out. Queued, it fails in the write cycle, which closes
// the connection; the share is registered and alive until then.
TEST(AutoDownloadOnAResetConnection, AnEmptyShareIsReleasedByTheWriteCycle) {
  Engine a;
  Engine b;
  ft::ActiveShareAutoDownloader downloader(&b.extension, nullptr);
  MemLink link(&a, &b);
  uint32_t id = a.share({}, 1);
  // b has asked for the listing; from now on each message b ends tries to
  // leave at once, and fails.
  ASSERT_TRUE(link.runUntil([&] { return link.bToA.moved > 0; }));
  link.bToA.sendSize = 1;
  link.bToA.reset = true;
  ASSERT_TRUE(link.runUntil([&] { return b.currentShareId() == id || !link.b.isOpen; }));
  ASSERT_TRUE(link.runUntil([&] { return !link.b.isOpen; }));
  EXPECT_EQ("", link.b.error); // reading the listing did not fail
  EXPECT_EQ(nullptr, b.extension.getCurrentShare());
}
