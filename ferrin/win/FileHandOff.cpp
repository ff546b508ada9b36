#include "ferrin/win/FileHandOff.h"

#include "plat/Exception.h"

namespace ft {

namespace {

HANDLE newEvent() {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!event)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  return event;
}

// Moves the files of from to the end of to.
void moveFiles(ManagedVector<FileProxy>* from, ManagedVector<FileProxy>* to) {
  for (FileProxy* file : *from)
    to->push_back(file);
  from->std::vector<FileProxy*>::clear();
}

} // namespace

FileHandOff::FileHandOff() {
  pending_.reset(newEvent());
  ready_.reset(newEvent());
  gone_.reset(newEvent());
}

void FileHandOff::begin() {
  {
    plat::Lock l(lock_);
    files_.clear();
  }
  ResetEvent(ready_);
  SetEvent(pending_);
}

void FileHandOff::finish(ManagedVector<FileProxy>* files) {
  {
    plat::Lock l(lock_);
    files_.clear();
    moveFiles(files, &files_);
  }
  ResetEvent(pending_);
  SetEvent(ready_);
}

void FileHandOff::gone() { SetEvent(gone_); }

void FileHandOff::takeFiles(ManagedVector<FileProxy>* out) {
  plat::Lock l(lock_);
  moveFiles(&files_, out);
}

} // namespace ft
