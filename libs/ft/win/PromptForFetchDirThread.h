// The thread that asks the user for a share's download folder when
// FetchDir is "?", so that neither the main thread nor the window thread
// blocks in the folder browser. Questions come from the main thread in a
// request list; answers go back in a reply list, and the main thread,
// woken through its event manager, hands each share to its downloader.
//
//   main thread                              "PromptForFetchDir"
//   ask(downloader, share) --requests + event-->  folder browser, one
//                                                 question at a time
//   reply handler: fetchShare / removePending <--replies + event--
//
// The lock guards both lists and the owner window. The share pointers
// travel without a reference of their own: the downloader's pending list
// holds one meanwhile.
#pragma once

#include "ft/win/FolderPrompt.h"
#include "plat/String.h"
#include "plat/win/EventManager.h"
#include "plat/win/Handle.h"
#include "plat/win/Thread.h"

#include <list>

namespace ft {

class ActiveShareAutoDownloader;
class ShareProxy;

class PromptForFetchDirThread : public plat::Thread, private plat::EventHandler {
public:
  // Registers the reply event with the calling thread's event manager. A
  // null prompt means the shell's dialogs. The thread starts with the
  // first question.
  explicit PromptForFetchDirThread(FolderPrompt* prompt = nullptr);
  // Unregisters the reply event, ends the thread and drops unanswered
  // questions.
  ~PromptForFetchDirThread() override;

  // The window that owns the browser and the error boxes.
  void setOwnerWindow(HWND owner);
  // Main thread: queues the question of share's folder for downloader.
  void ask(ActiveShareAutoDownloader* downloader, ShareProxy* share);

private:
  struct Record {
    ActiveShareAutoDownloader* downloader;
    ShareProxy* share;
    // The share's description in a request, the folder (or null) in a reply.
    plat::String text;
  };

  void run() override;
  void processEvent(HANDLE event) override;
  // The thread's side: each request in turn.
  void answerRequests();
  // The main thread's side: each reply in order.
  void takeReplies();

  ShellFolderPrompt shellPrompt_;
  FolderPrompt* prompt_;
  HWND owner_;
  plat::Mutex lock_;
  std::list<Record> requests_;
  std::list<Record> replies_;
  plat::Handle requestEvent_;
  plat::Handle replyEvent_;
  // Set once the thread has a message queue, so that WM_QUIT reaches it.
  plat::Handle queueReady_;
  plat::EventManager* mainEvents_;
};

} // namespace ft
