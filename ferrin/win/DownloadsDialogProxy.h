// The downloads model as the window thread calls it: Clear and DoAction
// become messages that the model's thread (the main thread) delivers.
#pragma once

#include "ferrin/win/DownloadsDialog.h"
#include "plat/win/MessageQueue.h"

namespace ft {

struct DownloadsRequest {
  enum Kind { Clear = 0, DoAction = 1 };
  int kind;
  int rowId;
  int action;
};

class DownloadsDialogProxy : public plat::MessageQueue<DownloadsRequest, DownloadsDialog>,
                             public DownloadsDialog::Requests {
public:
  // On the model's thread.
  explicit DownloadsDialogProxy(DownloadsDialog* model)
      : MessageQueue(model, "DownloadsDialogProxy::msgAvailable"), model_(model) {}

  DownloadsDialog* model() const { return model_; }

  // Any thread.
  void clear() override { post({DownloadsRequest::Clear, 0, 0}); }
  void doAction(int rowId, int action) override {
    post({DownloadsRequest::DoAction, rowId, action});
  }

protected:
  void deliver(DownloadsDialog* model, DownloadsRequest& request) override {
    if (request.kind == DownloadsRequest::Clear)
      model->clearFinished();
    else
      model->doAction(request.rowId, request.action);
  }

private:
  DownloadsDialog* model_;
};

} // namespace ft
