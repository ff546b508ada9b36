// The downloads model: every folder download that the share downloader
// runs becomes one row of the downloads window. It turns the downloader's
// reports into row texts, progress, icons and the actions a row offers,
// refreshes speed and remaining time once a second, carries out the
// actions the user picks, and decides when the "all finished" and "failed"
// notifications pop up.
//
// It lives on the main thread with the share downloader. The view (the
// downloads window, on the window thread) is reached only through the UI
// and Download interfaces, which the window's proxies implement by posting
// messages; nothing here ever waits for the window thread. The window
// calls back with Clear and DoAction through a queue of the main thread,
// naming rows by the number the model gave them.
#pragma once

#include "ft/DownloadSpeedEstimator.h"
#include "ft/win/ShareDownloader.h"
#include "plat/CurrentTime.h"
#include "plat/String.h"
#include "plat/Timer.h"

#include <list>
#include <set>
#include <string>

namespace ft {

class DownloadsDialog : public ShareDownloader::SDCallback, public plat::Timer::Callback {
public:
  typedef ShareDownloader::DownloadId DownloadId;

  enum Action {
    NoAction = 0,
    Pause = 1,
    Resume = 2,
    Retry = 3,
    Cancel = 4,
    RemoveFromList = 5,
    Open = 6,
    OpenContainingFolder = 7,
  };
  enum { MaxActions = 4 };

  // The actions a row offers, in display order.
  struct ActionSet {
    int count = 0;
    int actions[MaxActions] = {};
    bool has(int action) const;
    void add(int action) { actions[count++] = action; }
  };

  // "Pause" ... "Open containing folder"; throws plat::ExceptionFmt "Bad
  // action value: %i" for any other number.
  static const char* actionText(int action);

  // One row of the window.
  class Download {
  public:
    virtual ~Download() {}
    // The shell's icon of that file or folder.
    virtual void setIcon(const char* path) = 0;
    // The icon of a download of several items.
    virtual void setGenericIcon() = 0;
    virtual void setText(const char* title) = 0;
    // 0 to 65535.
    virtual void setProgress(int position) = 0;
    virtual void showProgress() = 0;
    virtual void hideProgress() = 0;
    virtual void setStatus(const char* text, bool error) = 0;
    virtual void setActions(const ActionSet& actions) = 0;
  };

  // The window.
  class UI {
  public:
    virtual ~UI() {}
    // Makes the window visible.
    virtual void ensureWindow() = 0;
    // A new row; rowId is what the window names it by when it calls back.
    virtual Download* createItem(int rowId) = 0;
    // Puts the row at the top of the list.
    virtual void addItem(Download* row) = 0;
    // Removes and destroys the row.
    virtual void removeItem(Download* row) = 0;
    virtual void openFile(const char* path) = 0;
    virtual void enableClear(bool enable) = 0;
    virtual void notifyFinished() = 0;
    virtual void notifyFailed() = 0;
    virtual void showMessage(const char* text) {}
  };

  // What the window asks of the model (through a queue of the model's
  // thread, DownloadsDialogProxy).
  class Requests {
  public:
    virtual ~Requests() {}
    virtual void clear() = 0;
    virtual void doAction(int rowId, int action) = 0;
  };

  // Registers itself with the downloader. The clock is the speed
  // estimators' (tests pass their own).
  explicit DownloadsDialog(ShareDownloader* downloader,
                           plat::ClockFunction clock = plat::currentTime);
  ~DownloadsDialog() override;

  // The window, once it exists. Null detaches it (the window thread has
  // ended): its rows went with it, and nothing reaches a view any more.
  void setUI(UI* ui);

  // From the window: every finished row goes.
  void clearFinished();
  // From the window. Rows that are gone and actions the row no longer
  // offers are ignored (the click raced with a change); a number outside
  // 1 to 7 throws "Bad action value: %i".
  void doAction(int rowId, int action);

  // ShareDownloader::SDCallback
  void downloadStarted(const DownloadId& id, const std::set<std::string>& names) override;
  void setRootDir(const DownloadId& id, const char* rootDir) override;
  void fileStarting(const DownloadId& id, const char* name) override {}
  void setIconPath(const DownloadId& id, const char* path) override;
  void downloadFailed(const DownloadId& id, const char* message, bool retryable) override;
  void showError(const char* message) override;
  void progress(const DownloadId& id, uint64_t done, uint64_t total, uint32_t filesStartedLessOne,
                uint32_t entries) override;
  void downloadComplete(const DownloadId& id) override;

  // The one-second refresh: pending status texts reach their rows. Repeats
  // while a download runs.
  bool handleTimeout(plat::Timer* timer) override;

  // Extra weight of each listing entry, so that directories and empty
  // files move the bar.
  enum { EntryWeight = 7000 };

private:
  enum State { Running, Paused, Complete, Failed, FailedRetryable, Cancelled };

  struct Record {
    Record(const DownloadId& id, int rowId, plat::ClockFunction clock)
        : id(id), rowId(rowId), speed(clock) {}
    DownloadId id;
    int rowId;
    Download* row = nullptr;
    std::string title;
    plat::String iconPath; // the first local path made for the download
    plat::String pendingStatus;
    plat::String rootDir;
    DownloadSpeedEstimator speed;
    State state = Running;
    bool active = false; // running, from its start: data may be slow to come
    bool several = false;
  };

  // The newest record of the download; an unknown id is a broken invariant.
  Record& find(const DownloadId& id);
  Record* findRow(int rowId);
  bool anyFinished() const;
  bool anyActive() const;
  static bool isFinished(State state) { return state >= Complete; }
  ActionSet actionsFor(const Record& r) const;
  void setState(Record& r, State state);
  void startTimer();
  // Stops whatever the downloader still holds of a failed download, then
  // takes the row away.
  void remove(std::list<Record>::iterator it);

  UI* ui_;
  std::list<Record> downloads_; // newest first
  ShareDownloader* downloader_;
  plat::Timer timer_;
  plat::ClockFunction clock_;
  int nextRowId_;
};

} // namespace ft
