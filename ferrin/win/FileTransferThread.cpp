#include "ferrin/win/FileTransferThread.h"
#include "ferrin/win/FileTransferDialog.h"

#include "os/EventName.h"
#include "os/win/OleInitialiser.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "plat/win/Unicode.h"
#include "ui/win/MsgBox.h"

#include <cstdio>
#include <exception>

namespace ft {

namespace {

plat::LogWriter vlog("FileTransferThread");

// Brings the dialog up when the named event is set, and resets it.
class SendFilesHandler : public plat::EventHandler {
public:
  explicit SendFilesHandler(FileTransferWindow* dialog) : dialog_(dialog) {}
  // Reset before showing: a request set meanwhile then shows it again
  // instead of being wiped.
  void processEvent(HANDLE event) override {
    ResetEvent(event);
    dialog_->ensureShown();
  }

private:
  FileTransferWindow* dialog_;
};

} // namespace

// Set once: by the start when the dialog is ready, else on the way out of
// the thread, whatever ended it.
class FileTransferThread::ReadySignal {
public:
  explicit ReadySignal(HANDLE event) : event_(event), set_(false) {}
  ReadySignal(const ReadySignal&) = delete;
  ReadySignal& operator=(const ReadySignal&) = delete;
  ~ReadySignal() { set(); }
  void set() {
    if (!set_)
      SetEvent(event_);
    set_ = true;
  }
  bool isSet() const { return set_; }

private:
  HANDLE event_;
  bool set_;
};

FileTransferThread::FileTransferThread(ShareDownloader* shareDownloader, UploadManager* uploads,
                                       bool serverSide, bool serviceMode, os::RegKey* settingsKey,
                                       const wchar_t* icon, HINSTANCE instance)
    : plat::Thread("FileTransferThread"), shareDownloader_(shareDownloader), stopping_(false),
      downloads_(shareDownloader ? new DownloadsDialog(shareDownloader) : nullptr),
      ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      uploadProxy_(new UploadManagerProxy(uploads, this)),
      downloadsProxy_(downloads_ ? new DownloadsDialogProxy(downloads_.get()) : nullptr),
      dialogWindow_(nullptr), running_(true),
      serverSide_(serverSide), serviceMode_(serviceMode), settingsKey_(settingsKey), icon_(icon),
      instance_(instance) {
  if (!ready_)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
}

FileTransferThread::~FileTransferThread() {
  stopping_ = true;
  running_ = false;
  if (getState() == Running)
    PostThreadMessageW(getThreadId(), WM_QUIT, 0, 0);
  if (getState() != Created)
    join();
  // The rows went with the window: the model must not reach them.
  if (downloads_)
    downloads_->setUI(nullptr);
  // Only now: the thread may post into these until it has ended.
  downloadsProxy_.reset();
  uploadProxy_.reset();
}

const char* FileTransferThread::sendFilesBaseName(bool serviceMode) {
  return serviceMode ? "service.SendFilesToViewers" : "user.SendFilesToViewers";
}

void FileTransferThread::waitReady() {
  WaitForSingleObject(ready_, INFINITE);
  if (startFailure_)
    std::rethrow_exception(startFailure_);
}

HWND FileTransferThread::dialogWindow() {
  waitReady();
  return dialogWindow_;
}

void FileTransferThread::showDialog() {
  waitReady();
  dialogProxy_->show();
}

void FileTransferThread::processEvent(HANDLE event) { ResetEvent(event); }

// Only the dialog sends files, and it is there (with its proxy) before it
// can; the window thread goes only once this object is being destroyed.
void FileTransferThread::sendFailed(HWND owner, const char* text) {
  if (dialogProxy_)
    dialogProxy_->showError(owner, text);
}

FileTransferWindow* FileTransferThread::makeDialog() {
  return new FileTransferDialog(downloadsProxy_.get(), uploadProxy_.get(), &stopping_, serverSide_,
                                *settingsKey_, icon_, nullptr, instance_);
}

void FileTransferThread::run() {
  // The queue must be there for the WM_QUIT that wakes the loop.
  MSG msg;
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  ReadySignal ready(ready_);
  try {
    os::OleInitialiser ole;
    plat::EventManager events;
    plat::TimerManager timers;
    serve(ready);
  } catch (...) {
    vlog.error("%s", plat::caughtText());
    // The waiters read it once ready is set, and only then.
    if (!ready.isSet())
      startFailure_ = std::current_exception();
  }
}

void FileTransferThread::serve(ReadySignal& ready) {
  // The dialog and its proxy belong to this thread's managers: they go
  // before them, whichever way this ends.
  struct DialogGoes {
    FileTransferThread* thread;
    ~DialogGoes() {
      thread->dialogProxy_.reset();
      thread->dialog_.reset();
    }
  } dialogGoes{this};
  dialog_.reset(makeDialog());
  dialogProxy_.reset(new FileTransferDialogProxy(dialog_.get()));
  dialogWindow_ = dialog_->window();
  SetActiveWindow(nullptr);

  os::EventName name(sendFilesBaseName(serviceMode_), serviceMode_);
  plat::WString wideName(name.str());
  plat::Handle sendFiles(CreateEventW(nullptr, TRUE, FALSE, wideName.c_str()));
  if (!sendFiles)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  SendFilesHandler handler(dialog_.get());
  plat::EventManager* events = plat::EventManager::instance();
  if (serverSide_)
    events->addEvent(sendFiles, &handler, "SendFilesToViewers");
  ready.set();

  plat::TimerManager* timers = plat::TimerManager::instance();
  while (running_) {
    try {
      int timeout = timers->processTimers();
      MSG msg;
      if (events->awaitEvent(&msg, timeout)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    } catch (...) {
      // Whatever one pass throws costs only that pass.
      vlog.error("%s", plat::caughtText());
      ui::MsgBox(dialogWindow_, plat::caughtText(), MB_ICONEXCLAMATION);
    }
  }
  if (serverSide_)
    events->removeEvent(sendFiles);
}

} // namespace ft
