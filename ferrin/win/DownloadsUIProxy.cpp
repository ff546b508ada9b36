#include "ferrin/win/DownloadsUIProxy.h"
#include "ferrin/win/DownloadsUI.h"
#include "ferrin/win/DownloadsUIItem.h"

namespace ft {

namespace {

typedef DownloadsUIMessage M;

// A row as the model holds it: the number of the row on the window thread.
class RowProxy : public DownloadsDialog::Download {
public:
  RowProxy(DownloadsUIProxy* proxy, int rowId) : proxy_(proxy), rowId_(rowId) {}
  int rowId() const { return rowId_; }

  void setIcon(const char* path) override { proxy_->send(M::SetIcon, rowId_, path); }
  void setGenericIcon() override { proxy_->send(M::SetGenericIcon, rowId_); }
  void setText(const char* text) override { proxy_->send(M::SetText, rowId_, text); }
  void setProgress(int position) override {
    // The bar has a hundred steps: positions within one are not sent.
    int step = DownloadsUI::Item::progressStep(position);
    if (step == sentStep_)
      return;
    sentStep_ = step;
    progress_->position = position;
    if (!progress_->queued.exchange(true))
      proxy_->send(M::SetProgress, rowId_, nullptr, 0, nullptr, progress_);
  }
  void showProgress() override { proxy_->send(M::ShowProgress, rowId_); }
  void hideProgress() override { proxy_->send(M::HideProgress, rowId_); }
  void setStatus(const char* text, bool error) override {
    proxy_->send(M::SetStatus, rowId_, text, error);
  }
  void setActions(const DownloadsDialog::ActionSet& actions) override {
    proxy_->send(M::SetActions, rowId_, nullptr, 0, &actions);
  }

private:
  DownloadsUIProxy* proxy_;
  int rowId_;
  int sentStep_ = -1;
  std::shared_ptr<DownloadsUIProgress> progress_ = std::make_shared<DownloadsUIProgress>();
};

int rowIdOf(DownloadsDialog::Download* row) { return static_cast<RowProxy*>(row)->rowId(); }

} // namespace

DownloadsUIProxy::DownloadsUIProxy(DownloadsUI* window)
    : MessageQueue(window, "DownloadsUIProxy::msgAvailable") {}

DownloadsUIProxy::~DownloadsUIProxy() {
  plat::Lock l(rowsLock_);
  for (DownloadsDialog::Download* row : rows_)
    delete row;
}

void DownloadsUIProxy::send(int kind, int rowId, const char* text, int value,
                            const DownloadsDialog::ActionSet* actions,
                            std::shared_ptr<DownloadsUIProgress> progress) {
  DownloadsUIMessage message{kind, rowId, plat::String(text), value, {}, std::move(progress)};
  if (actions)
    message.actions = *actions;
  post(std::move(message));
}

void DownloadsUIProxy::ensureWindow() { send(M::EnsureWindow, 0); }

DownloadsDialog::Download* DownloadsUIProxy::createItem(int rowId) {
  send(M::CreateItem, rowId);
  RowProxy* row = new RowProxy(this, rowId);
  plat::Lock l(rowsLock_);
  rows_.insert(row);
  return row;
}

void DownloadsUIProxy::addItem(DownloadsDialog::Download* row) { send(M::AddItem, rowIdOf(row)); }

void DownloadsUIProxy::removeItem(DownloadsDialog::Download* row) {
  send(M::RemoveItem, rowIdOf(row));
  {
    plat::Lock l(rowsLock_);
    rows_.erase(row);
  }
  delete row;
}

void DownloadsUIProxy::openFile(const char* path) { send(M::OpenFile, 0, path); }
void DownloadsUIProxy::enableClear(bool enable) { send(M::EnableClear, 0, nullptr, enable); }
void DownloadsUIProxy::notifyFinished() { send(M::NotifyFinished, 0); }
void DownloadsUIProxy::notifyFailed() { send(M::NotifyFailed, 0); }
void DownloadsUIProxy::showMessage(const char* text) { send(M::ShowMessage, 0, text); }

void DownloadsUIProxy::deliver(DownloadsUI* window, DownloadsUIMessage& m) {
  const char* text = m.text.c_str();
  switch (m.kind) {
  case M::EnsureWindow:
    window->ensureWindow();
    return;
  case M::CreateItem:
    window->createItem(m.rowId);
    return;
  case M::OpenFile:
    window->openFile(text);
    return;
  case M::EnableClear:
    window->enableClear(m.value != 0);
    return;
  case M::NotifyFinished:
    window->notifyFinished();
    return;
  case M::NotifyFailed:
    window->notifyFailed();
    return;
  case M::ShowMessage:
    window->showMessage(text);
    return;
  }
  DownloadsUI::Item* item = window->item(m.rowId);
  if (!item)
    return;
  switch (m.kind) {
  case M::AddItem:
    window->addItem(item);
    break;
  case M::RemoveItem:
    window->removeItem(item);
    break;
  case M::SetIcon:
    item->setIcon(text);
    break;
  case M::SetGenericIcon:
    item->setGenericIcon();
    break;
  case M::SetText:
    item->setText(text);
    break;
  case M::SetProgress:
    // Cleared first: a position set from now on sends a message of its own.
    m.progress->queued = false;
    item->setProgress(m.progress->position);
    break;
  case M::ShowProgress:
    item->showProgress();
    break;
  case M::HideProgress:
    item->hideProgress();
    break;
  case M::SetStatus:
    item->setStatus(text, m.value != 0);
    break;
  case M::SetActions:
    item->setActions(m.actions);
    break;
  }
}

} // namespace ft
