#include "ft/win/PromptForFetchDirThread.h"
#include "ft/ShareProxy.h"
#include "ft/win/ActiveShareAutoDownloader.h"
#include "os/win/OleInitialiser.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"
#include "plat/TimerManager.h"
#include "plat/win/ManualResetEvent.h"

#include <string>

namespace ft {

PromptForFetchDirThread::PromptForFetchDirThread(FolderPrompt* prompt)
    : plat::Thread("PromptForFetchDir"), prompt_(prompt ? prompt : &shellPrompt_), owner_(nullptr),
      requestEvent_(plat::newManualResetEvent()), replyEvent_(plat::newManualResetEvent()),
      queueReady_(plat::newManualResetEvent()), mainEvents_(plat::EventManager::instance()) {
  if (!mainEvents_->addEvent(replyEvent_, this, "PromptForFetchDirThread::reply"))
    throw plat::Exception("addEvent(PromptForFetchDirThread::reply)");
}

PromptForFetchDirThread::~PromptForFetchDirThread() {
  mainEvents_->removeEvent(replyEvent_);
  if (getState() != Created) {
    WaitForSingleObject(queueReady_, INFINITE);
    PostThreadMessageW(getThreadId(), WM_QUIT, 0, 0);
  }
  join();
}

void PromptForFetchDirThread::setOwnerWindow(HWND owner) {
  plat::Lock l(lock_);
  owner_ = owner;
}

void PromptForFetchDirThread::ask(ActiveShareAutoDownloader* downloader, ShareProxy* share) {
  plat::Lock l(lock_);
  requests_.push_back({downloader, share, share->description()});
  SetEvent(requestEvent_);
}

void PromptForFetchDirThread::run() {
  MSG msg;
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  SetEvent(queueReady_);
  os::OleInitialiser ole;
  plat::EventManager events;
  plat::TimerManager timers;
  if (!events.addEvent(requestEvent_, this, "PromptForFetchDirThread::request"))
    throw plat::Exception("addEvent(PromptForFetchDirThread::request)");
  for (;;) {
    if (events.awaitEvent(&msg, timers.processTimers())) {
      if (msg.message == WM_QUIT)
        break;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  events.removeEvent(requestEvent_);
}

void PromptForFetchDirThread::processEvent(HANDLE event) {
  if (event == requestEvent_.get())
    answerRequests();
  else
    takeReplies();
}

void PromptForFetchDirThread::answerRequests() {
  ResetEvent(requestEvent_);
  for (;;) {
    Record record;
    HWND owner;
    {
      plat::Lock l(lock_);
      if (requests_.empty())
        return;
      record = std::move(requests_.front());
      requests_.pop_front();
      owner = owner_;
    }
    // Without the lock: the main thread may queue more questions while the
    // user chooses.
    plat::String answer;
    try {
      std::string title = std::string("Select folder to save ") + record.text.c_str() + ":";
      answer = prompt_->chooseFolder(owner, title.c_str());
    } catch (...) {
      // Whatever it was, the thread stays for the next question.
      autoDownloaderLog.error("%s", plat::caughtText());
      prompt_->showError(owner, plat::caughtText());
      answer = plat::String();
    }
    plat::Lock l(lock_);
    replies_.push_back({record.downloader, record.share, std::move(answer)});
    SetEvent(replyEvent_);
  }
}

void PromptForFetchDirThread::takeReplies() {
  std::list<Record> replies;
  HWND owner;
  {
    plat::Lock l(lock_);
    ResetEvent(replyEvent_);
    replies.swap(replies_);
    owner = owner_;
  }
  for (Record& reply : replies) {
    try {
      if (!reply.text.isNull())
        reply.downloader->fetchShare(reply.share, reply.text.c_str());
      else
        reply.downloader->removePending(reply.share);
    } catch (...) {
      // One reply that fails costs only itself.
      autoDownloaderLog.error("%s", plat::caughtText());
      prompt_->showError(owner, plat::caughtText());
    }
  }
}

} // namespace ft
