#include "ferrin/win/DownloadsDialog.h"

#include "plat/Assert.h"
#include "plat/Exception.h"

namespace ft {

namespace {

const char* const ActionTexts[] = {"Pause",  "Resume",           "Retry",
                                   "Cancel", "Remove from list", "Open",
                                   "Open containing folder"};

// Stands in for the window before it exists and after it has gone.
struct NoRow : DownloadsDialog::Download {
  void setIcon(const char*) override {}
  void setGenericIcon() override {}
  void setText(const char*) override {}
  void setProgress(int) override {}
  void showProgress() override {}
  void hideProgress() override {}
  void setStatus(const char*, bool) override {}
  void setActions(const DownloadsDialog::ActionSet&) override {}
};
NoRow noRow;

struct NoUI : DownloadsDialog::UI {
  void ensureWindow() override {}
  DownloadsDialog::Download* createItem(int) override { return &noRow; }
  void addItem(DownloadsDialog::Download*) override {}
  void removeItem(DownloadsDialog::Download*) override {}
  void openFile(const char*) override {}
  void enableClear(bool) override {}
  void notifyFinished() override {}
  void notifyFailed() override {}
};
NoUI noUI;

} // namespace

bool DownloadsDialog::ActionSet::has(int action) const {
  for (int i = 0; i < count; i++)
    if (actions[i] == action)
      return true;
  return false;
}

const char* DownloadsDialog::actionText(int action) {
  if (action < Pause || action > OpenContainingFolder)
    throw plat::ExceptionFmt("Bad action value: %i", action);
  return ActionTexts[action - 1];
}

DownloadsDialog::DownloadsDialog(ShareDownloader* downloader, plat::ClockFunction clock)
    : ui_(&noUI), downloader_(downloader), timer_(this), clock_(clock), nextRowId_(1) {
  downloader_->setCallback(this);
}

DownloadsDialog::~DownloadsDialog() {
  for (Record& r : downloads_)
    ui_->removeItem(r.row);
  downloader_->setCallback(nullptr);
  timer_.stop();
}

void DownloadsDialog::setUI(UI* ui) {
  if (!ui) {
    for (Record& r : downloads_)
      r.row = &noRow;
  }
  ui_ = ui ? ui : &noUI;
}

DownloadsDialog::Record& DownloadsDialog::find(const DownloadId& id) {
  auto i = downloads_.begin();
  while (i != downloads_.end() && !(i->id == id))
    ++i;
  PLAT_ASSERT(i != downloads_.end());
  return *i;
}

DownloadsDialog::Record* DownloadsDialog::findRow(int rowId) {
  for (Record& r : downloads_)
    if (r.rowId == rowId)
      return &r;
  return nullptr;
}

bool DownloadsDialog::anyFinished() const {
  for (const Record& r : downloads_)
    if (isFinished(r.state))
      return true;
  return false;
}

bool DownloadsDialog::anyActive() const {
  for (const Record& r : downloads_)
    if (r.active)
      return true;
  return false;
}

DownloadsDialog::ActionSet DownloadsDialog::actionsFor(const Record& r) const {
  ActionSet set;
  bool folder = !r.rootDir.isNull();
  switch (r.state) {
  case Running:
    set.add(Pause);
    set.add(Cancel);
    break;
  case Paused:
    set.add(Resume);
    set.add(Cancel);
    break;
  case Complete:
    if (!r.several && !r.iconPath.isNull())
      set.add(Open);
    if (folder)
      set.add(OpenContainingFolder);
    set.add(RemoveFromList);
    return set;
  case FailedRetryable:
    set.add(Retry);
    set.add(Cancel);
    set.add(RemoveFromList);
    break;
  case Failed:
  case Cancelled:
    set.add(RemoveFromList);
    break;
  }
  if (folder)
    set.add(OpenContainingFolder);
  return set;
}

void DownloadsDialog::setState(Record& r, State state) {
  r.state = state;
  r.active = state == Running;
  r.row->setActions(actionsFor(r));
}

void DownloadsDialog::startTimer() {
  if (!timer_.isStarted())
    timer_.start(1000);
}

void DownloadsDialog::downloadStarted(const DownloadId& id, const std::set<std::string>& names) {
  PLAT_ASSERT(!names.empty());
  ui_->ensureWindow();
  downloads_.emplace_front(id, nextRowId_++, clock_);
  Record& r = downloads_.front();
  r.row = ui_->createItem(r.rowId);
  ui_->addItem(r.row);
  r.several = names.size() > 1;
  for (const std::string& name : names)
    r.title += (r.title.empty() ? "" : ", ") + name;
  setState(r, Running);
  r.row->setText(r.title.c_str());
  if (r.several)
    r.row->setGenericIcon();
  r.row->showProgress();
  startTimer();
}

void DownloadsDialog::setRootDir(const DownloadId& id, const char* rootDir) {
  Record& r = find(id);
  r.rootDir = rootDir;
  r.row->setActions(actionsFor(r));
}

void DownloadsDialog::setIconPath(const DownloadId& id, const char* path) {
  Record& r = find(id);
  if (r.several || !r.iconPath.isNull() || !path)
    return;
  r.iconPath = path;
  r.row->setIcon(path);
}

void DownloadsDialog::downloadFailed(const DownloadId& id, const char* message, bool retryable) {
  Record& r = find(id);
  // Nothing of it exists yet: the folder it would have gone into.
  if (r.iconPath.isNull() && !r.rootDir.isNull())
    r.row->setIcon(r.rootDir.c_str());
  r.row->hideProgress();
  setState(r, retryable ? FailedRetryable : Failed);
  r.row->setStatus(message, true);
  ui_->enableClear(anyFinished());
  ui_->notifyFailed();
}

void DownloadsDialog::showError(const char* message) {
  ui_->ensureWindow();
  ui_->showMessage(message);
}

void DownloadsDialog::progress(const DownloadId& id, uint64_t done, uint64_t total,
                               uint32_t filesStartedLessOne, uint32_t entries) {
  Record& r = find(id);
  if (isFinished(r.state))
    return; // the last reports of files that were running when it failed
  total += (uint64_t)entries * EntryWeight;
  done += (uint64_t)filesStartedLessOne * EntryWeight;
  if (total == 0)
    total = 1;
  if (done > total)
    done = total;
  r.row->setProgress((int)((double)done * 65535.0 / (double)total));
  r.active = true;
  r.speed.addReading(done);
  plat::String remaining = plat::String::adopt(r.speed.remainingText(total));
  if (!remaining.isNull()) {
    plat::String speed = plat::String::adopt(r.speed.speedText());
    char text[256];
    r.pendingStatus = plat::formatInto(text, "%s, %s remaining.", speed.c_str(), remaining.c_str());
  }
}

void DownloadsDialog::downloadComplete(const DownloadId& id) {
  Record& r = find(id);
  r.row->hideProgress();
  setState(r, Complete);
  r.row->setStatus("Download complete", false);
  // The file exists completely now: its icon may have changed.
  if (!r.iconPath.isNull() && !r.several)
    r.row->setIcon(r.iconPath.c_str());
  ui_->enableClear(anyFinished());
  if (!anyActive())
    ui_->notifyFinished();
}

bool DownloadsDialog::handleTimeout(plat::Timer*) {
  for (Record& r : downloads_) {
    if (r.active && !r.pendingStatus.isNull()) {
      r.row->setStatus(r.pendingStatus.c_str(), false);
      r.pendingStatus = plat::String();
    }
  }
  return anyActive();
}

void DownloadsDialog::remove(std::list<Record>::iterator it) {
  // A failure that can be retried leaves paused files and the share with
  // the downloader.
  if (it->state == FailedRetryable)
    downloader_->cancel(it->id);
  ui_->removeItem(it->row);
  downloads_.erase(it);
}

void DownloadsDialog::clearFinished() {
  for (auto it = downloads_.begin(); it != downloads_.end();) {
    auto next = std::next(it);
    if (isFinished(it->state))
      remove(it);
    it = next;
  }
  ui_->enableClear(anyFinished());
}

void DownloadsDialog::doAction(int rowId, int action) {
  actionText(action); // throws for a bad number
  Record* found = findRow(rowId);
  if (!found || !actionsFor(*found).has(action))
    return;
  Record& r = *found;
  switch (action) {
  case Pause:
    downloader_->pause(r.id);
    r.row->hideProgress();
    setState(r, Paused);
    r.row->setStatus("Download paused.", false);
    return;
  case Resume:
  case Retry:
    // A resume that fails again, or that ends the download, has reported
    // so already.
    if (!downloader_->resume(r.id))
      return;
    r.row->showProgress();
    setState(r, Running);
    r.speed = DownloadSpeedEstimator(clock_);
    r.pendingStatus = plat::String();
    startTimer();
    r.row->setStatus("", false);
    break;
  case Cancel:
    downloader_->cancel(r.id);
    r.row->hideProgress();
    setState(r, Cancelled);
    r.row->setStatus("Download cancelled.", false);
    break;
  case RemoveFromList:
    for (auto it = downloads_.begin(); it != downloads_.end(); ++it) {
      if (&*it == &r) {
        remove(it);
        break;
      }
    }
    break;
  case Open:
    ui_->openFile(r.iconPath.c_str());
    return;
  case OpenContainingFolder:
    ui_->openFile(r.rootDir.c_str());
    return;
  }
  ui_->enableClear(anyFinished());
}

} // namespace ft
