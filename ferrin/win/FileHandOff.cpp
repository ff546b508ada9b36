#include "ferrin/win/FileHandOff.h"

#include "plat/win/ManualResetEvent.h"

namespace ft {

namespace {

// Moves the files of from to the end of to.
void moveFiles(ManagedVector<FileProxy>* from, ManagedVector<FileProxy>* to) {
  for (FileProxy* file : *from)
    to->push_back(file);
  from->std::vector<FileProxy*>::clear();
}

} // namespace

FileHandOff::FileHandOff() {
  pending_.reset(plat::newManualResetEvent());
  ready_.reset(plat::newManualResetEvent());
  gone_.reset(plat::newManualResetEvent());
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
