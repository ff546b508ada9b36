// The downloads model with a recording view and its own clock: what each
// row shows and offers, and when the pop-ups come; then with a real share
// downloader between two engines: pause, retry and removal.
#include "ferrin/win/DownloadsDialog.h"
#include "ft/ShareProxy.h"
#include "ft/tests/Settings.h"
#include "ft/tests/win/NotReadyDrive.h"
#include "ft/Parameters.h"
#include "plat/TimerManager.h"
#include "plat/win/File.h"
#include "testing/FtEngine.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <map>

using ft::DownloadsDialog;
using namespace testing_support;

namespace {

typedef DownloadsDialog D;
typedef std::vector<int> Acts;

struct Row : D::Download {
  explicit Row(int* alive) : alive(alive) { ++*alive; }
  ~Row() override { --*alive; }
  void setIcon(const char* path) override { icons.push_back(path ? path : "(null)"); }
  void setGenericIcon() override { icons.push_back("generic"); }
  void setText(const char* t) override { title = t; }
  void setProgress(int p) override { position = p; }
  void showProgress() override { progressShown = true; }
  void hideProgress() override { progressShown = false; }
  void setStatus(const char* t, bool e) override {
    status = t;
    error = e;
  }
  void setActions(const D::ActionSet& set) override {
    actions.assign(set.actions, set.actions + set.count);
  }
  int* alive;
  std::vector<std::string> icons;
  std::string title, status;
  bool error = false, progressShown = false;
  int position = -1;
  Acts actions;
};

struct View : D::UI {
  ~View() override {
    for (auto& row : rows)
      delete row.second;
  }
  void ensureWindow() override { shown++; }
  D::Download* createItem(int id) override { return rows[id] = new Row(&alive); }
  void addItem(D::Download*) override {}
  void removeItem(D::Download* row) override {
    for (auto it = rows.begin(); it != rows.end(); ++it) {
      if (it->second == row) {
        rows.erase(it);
        break;
      }
    }
    delete row;
  }
  void openFile(const char* path) override { opened.push_back(path); }
  void enableClear(bool e) override { clear = e; }
  void notifyFinished() override { finished++; }
  void notifyFailed() override { failed++; }
  void showMessage(const char* text) override { messages.push_back(text); }

  Row& newest() { return *rows.rbegin()->second; }
  std::map<int, Row*> rows;
  int alive = 0, shown = 0, finished = 0, failed = 0;
  bool clear = false;
  std::vector<std::string> opened, messages;
};

int64_t now;
int64_t clock() { return now; }
const int64_t Second = 10000000;

D::DownloadId idOf(uint32_t n) { return D::DownloadId(nullptr, n); }

struct Model : testing::Test {
  plat::TimerManager timers;
  ft::ShareDownloader downloader;
  View view;
  DownloadsDialog model{&downloader, clock};
  Model() {
    now = 100 * Second;
    model.setUI(&view);
  }
  Row& start(uint32_t n, std::set<std::string> names, bool withRoot = true) {
    model.downloadStarted(idOf(n), names);
    if (withRoot)
      model.setRootDir(idOf(n), "C:\\fetch\\");
    return view.newest();
  }
};

} // namespace

TEST(DownloadsActions, TextsAndBadNumbers) {
  EXPECT_STREQ("Pause", D::actionText(1));
  EXPECT_STREQ("Open containing folder", D::actionText(7));
  for (int bad : {0, 8, -1}) {
    try {
      D::actionText(bad);
      ADD_FAILURE() << bad;
    } catch (const plat::Exception& e) {
      EXPECT_EQ("Bad action value: " + std::to_string(bad), e.str());
    }
  }
}

TEST_F(Model, OneFileFromStartToOpen) {
  Row& row = start(1, {"report.txt"}, false);
  EXPECT_EQ(1, view.shown);
  EXPECT_EQ("report.txt", row.title);
  EXPECT_TRUE(row.progressShown);
  EXPECT_EQ((Acts{D::Pause, D::Cancel}), row.actions); // no folder to open yet
  model.setRootDir(idOf(1), "C:\\fetch\\");
  EXPECT_EQ((Acts{D::Pause, D::Cancel, D::OpenContainingFolder}), row.actions);
  model.setIconPath(idOf(1), "C:\\fetch\\report.txt");
  model.setIconPath(idOf(1), "C:\\fetch\\other");
  EXPECT_EQ((std::vector<std::string>{"C:\\fetch\\report.txt"}), row.icons);

  // 1 MB and one entry; the entry counts 7000 bytes.
  model.progress(idOf(1), 0, 1000000, 0, 1);
  EXPECT_EQ(0, row.position);
  EXPECT_TRUE(model.handleTimeout(nullptr));
  EXPECT_EQ("", row.status); // one reading: no estimate
  now += Second;
  model.progress(idOf(1), 503500, 1000000, 0, 1);
  EXPECT_EQ(32767, row.position); // 503500 / 1007000 of 65535
  EXPECT_EQ("", row.status); // until the next tick
  EXPECT_TRUE(model.handleTimeout(nullptr));
  EXPECT_EQ("491 KB/s, 1 second remaining.", row.status);

  model.downloadComplete(idOf(1));
  EXPECT_FALSE(row.progressShown);
  EXPECT_EQ("Download complete", row.status);
  EXPECT_EQ((Acts{D::Open, D::OpenContainingFolder, D::RemoveFromList}), row.actions);
  EXPECT_EQ(2u, row.icons.size()); // again, now that the file is whole
  EXPECT_EQ(1, view.finished);
  EXPECT_TRUE(view.clear);
  EXPECT_FALSE(model.handleTimeout(nullptr)); // nothing runs: the timer stops

  model.doAction(1, D::Open);
  model.doAction(1, D::OpenContainingFolder);
  EXPECT_EQ((std::vector<std::string>{"C:\\fetch\\report.txt", "C:\\fetch\\"}), view.opened);
}

TEST_F(Model, SeveralItemsFinishedOnlyWhenTheLastActiveOneCompletes) {
  Row& two = start(1, {"b", "a"});
  EXPECT_EQ("a, b", two.title);
  EXPECT_EQ((std::vector<std::string>{"generic"}), two.icons);
  model.setIconPath(idOf(1), "C:\\fetch\\a");
  Row& other = start(2, {"c"});
  model.progress(idOf(1), 10, 100, 0, 2);
  model.progress(idOf(2), 10, 100, 0, 1);
  model.downloadComplete(idOf(1));
  EXPECT_EQ(0, view.finished); // the other one still runs
  EXPECT_EQ((Acts{D::OpenContainingFolder, D::RemoveFromList}), two.actions); // never Open
  EXPECT_EQ((std::vector<std::string>{"generic"}), two.icons);
  model.downloadComplete(idOf(2));
  EXPECT_EQ(1, view.finished);
  EXPECT_EQ(2, view.alive);
  model.clearFinished();
  EXPECT_EQ(0, view.alive);
  EXPECT_FALSE(view.clear);
  (void)other;
}

// Data may take more than a second to come (a large file opened at the
// other end, a slow link): the download runs all the same.
TEST_F(Model, ADownloadRunsFromItsStartBeforeItsFirstData) {
  Row& slow = start(1, {"slow"});
  EXPECT_TRUE(model.handleTimeout(nullptr)); // the refresh goes on
  model.progress(idOf(1), 0, 1000, 0, 0);
  now += Second;
  model.progress(idOf(1), 500, 1000, 0, 0);
  EXPECT_TRUE(model.handleTimeout(nullptr));
  EXPECT_EQ("500 byte/s, 1 second remaining.", slow.status);

  start(2, {"waiting"});
  model.downloadComplete(idOf(1));
  EXPECT_EQ(0, view.finished); // the other one has started
  model.downloadComplete(idOf(2));
  EXPECT_EQ(1, view.finished);
}

TEST_F(Model, FailuresNotifyAtOnceAndOfferWhatCanBeDone) {
  Row& early = start(1, {"x"}, false);
  model.downloadFailed(idOf(1), "Connection closed", false);
  EXPECT_TRUE(early.icons.empty()); // no folder: no icon of nothing
  EXPECT_EQ((Acts{D::RemoveFromList}), early.actions);
  EXPECT_EQ(1, view.failed);

  Row& late = start(2, {"y"});
  model.progress(idOf(2), 10, 100, 0, 1);
  model.downloadFailed(idOf(2), "Too many name clashes", true);
  EXPECT_EQ(2, view.failed);
  EXPECT_EQ(0, view.finished);
  EXPECT_EQ("Too many name clashes", late.status);
  EXPECT_TRUE(late.error);
  EXPECT_FALSE(late.progressShown);
  EXPECT_EQ((std::vector<std::string>{"C:\\fetch\\"}), late.icons); // the folder's icon
  EXPECT_EQ((Acts{D::Retry, D::Cancel, D::RemoveFromList, D::OpenContainingFolder}), late.actions);
  model.progress(idOf(2), 20, 100, 0, 1); // a straggler changes nothing
  EXPECT_FALSE(model.handleTimeout(nullptr));
  EXPECT_EQ("Too many name clashes", late.status);

  // Stale clicks: a row that is gone, an action no longer offered.
  model.doAction(2, D::Pause);
  EXPECT_EQ("Too many name clashes", late.status);
  model.doAction(99, D::Cancel);
  EXPECT_THROW(model.doAction(2, 9), plat::Exception);
  model.showError("No download directory");
  EXPECT_EQ((std::vector<std::string>{"No download directory"}), view.messages);
}

TEST_F(Model, ADetachedViewIsNeverCalledAgain) {
  Row& row = start(1, {"x"});
  start(2, {"y"});
  model.setUI(nullptr);
  model.progress(idOf(1), 10, 100, 0, 1);
  model.downloadComplete(idOf(1));
  model.downloadStarted(idOf(3), {"z"});
  model.clearFinished();
  EXPECT_EQ(0, view.finished);
  EXPECT_EQ(2, view.alive); // the view's rows are the view's to free
  EXPECT_EQ(-1, row.position);
  EXPECT_EQ("", row.status);
}

namespace {

// Two engines joined through memory; the model over a real downloader
// saving into a temporary folder.
struct ModelAndEngines : testing::Test {
  plat::TimerManager timers;
  TempDir dir;
  Engine a, b;
  MemLink link{&a, &b};
  ft::ShareDownloader downloader;
  View view;
  DownloadsDialog model{&downloader};
  ft::ShareProxy* share = nullptr;

  ModelAndEngines() { model.setUI(&view); }
  ~ModelAndEngines() override {
    if (share)
      share->release();
  }
  Row& start(std::vector<ft::FileProxy*> files) {
    uint32_t id = a.share(files, 1);
    EXPECT_TRUE(link.runUntil([&] {
      ft::ShareProxy* s = b.extension.getCurrentShare();
      bool ready = s && s->shareId() == id;
      if (s)
        s->release();
      return ready;
    }));
    share = b.extension.getCurrentShare();
    downloader.download(share, dir.path().c_str());
    return view.newest();
  }
  bool saved(const char* name, const std::string& bytes) {
    return readFile(dir.file(name)) == bytes;
  }
};


} // namespace

TEST_F(ModelAndEngines, PauseResumeAndARetryThatSavesTheMissingFiles) {
  auto buffer = setting(ft::fileTransferBufferSize, 65536);
  NotReadyDrive drive;
  std::string big(2000000, 'b');
  Row& row = start({new MemFile("big", big), new MemFile("late", "L")});
  ASSERT_TRUE(link.runUntil([&] { return row.position > 0; }));
  model.doAction(1, D::Pause);
  EXPECT_EQ("Download paused.", row.status);
  EXPECT_EQ((Acts{D::Resume, D::Cancel, D::OpenContainingFolder}), row.actions);
  link.run(); // only what was granted arrives
  EXPECT_LT(readFile(dir.file("big")).size(), big.size());

  model.doAction(1, D::Resume);
  EXPECT_TRUE(row.progressShown);
  EXPECT_EQ((Acts{D::Pause, D::Cancel, D::OpenContainingFolder}), row.actions);
  ASSERT_TRUE(link.runUntil([&] { return row.error; }));
  EXPECT_EQ("Storage device is not ready or media/disk is not present.", row.status);
  EXPECT_TRUE(saved("big", big));

  NotReadyDrive::notReady = false;
  model.doAction(1, D::Retry);
  EXPECT_FALSE(row.error);
  ASSERT_TRUE(link.runUntil([&] { return row.status == "Download complete"; }));
  EXPECT_TRUE(saved("late", "L"));
  EXPECT_EQ(1, view.failed);
  EXPECT_EQ(1, view.finished);
}

TEST_F(ModelAndEngines, RemovingARetryableFailureCancelsItInTheDownloader) {
  NotReadyDrive drive;
  Row& row = start({new MemFile("late", "L")});
  ASSERT_TRUE(row.error);
  model.doAction(1, D::RemoveFromList);
  EXPECT_EQ(0, view.alive);
  // The downloader let go of it too: nothing is left to retry.
  NotReadyDrive::notReady = false;
  EXPECT_FALSE(downloader.resume(D::DownloadId(b.download(), share->shareId())));
  link.run();
  EXPECT_FALSE(plat::fileExists(dir.file("late").c_str()));
}
