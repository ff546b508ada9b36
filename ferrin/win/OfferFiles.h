// The last steps of every local share: its files join the upload
// manager's current share, the list is complete, and the extension offers
// it on every connection.
#pragma once

#include "ft/FileProxy.h"
#include "ft/ManagedVector.h"
#include "ft/UploadManager.h"

namespace ft {

// Takes the files over (files is left empty).
void offerFiles(UploadManager* uploads, ManagedVector<FileProxy>* files);

} // namespace ft
