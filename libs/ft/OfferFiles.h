// The last steps of every local share: its files join the upload
// manager's current share, the list is complete, and the extension offers
// it on every connection.
#pragma once

#include "ft/FileProxy.h"
#include "ft/ManagedVector.h"
#include "ft/UploadManager.h"

namespace ft {

// Takes the files over one at a time, so that each has one owner whatever
// throws; files is left empty. When a file cannot join the share (memory
// runs out), the share goes with the files that had joined it, before
// anything offered it, and the exception passes on: a share is offered
// whole or not at all. The files not handed over then stay in files.
void offerFiles(UploadManager* uploads, ManagedVector<FileProxy>* files);

} // namespace ft
