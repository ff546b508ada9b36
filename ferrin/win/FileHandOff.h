// The files read off the clipboard on their way from the clipboard thread
// to the main thread: the last list read, under a lock, and three events
// the main thread waits on: "Pending" (a list is being read), "Ready" (it
// is there) and "Gone" (the reader has ended with its thread: nothing
// more comes). Both threads hold it, so that the events stay open until
// the main thread has dropped them from its wait.
#pragma once

#include "ft/FileProxy.h"
#include "ft/ManagedVector.h"
#include "plat/Mutex.h"
#include "plat/win/Handle.h"

namespace ft {

class FileHandOff {
public:
  // Throws plat::SystemException "CreateEvent".
  FileHandOff();
  FileHandOff(const FileHandOff&) = delete;
  FileHandOff& operator=(const FileHandOff&) = delete;

  HANDLE pendingEvent() const { return pending_; }
  HANDLE readyEvent() const { return ready_; }
  HANDLE goneEvent() const { return gone_; }

  // The reading thread: a new list is begun (the last one is dropped);
  // the list is there (taken over: files is left empty); the reader is
  // gone.
  void begin();
  void finish(ManagedVector<FileProxy>* files);
  void gone();

  // The main thread: appends the last list read to out and empties it.
  void takeFiles(ManagedVector<FileProxy>* out);

private:
  plat::Handle pending_;
  plat::Handle ready_;
  plat::Handle gone_;
  plat::Mutex lock_;
  ManagedVector<FileProxy> files_;
};

} // namespace ft
