#include "ferrin/win/OfferFiles.h"

#include "ft/Extension.h"

namespace ft {

void offerFiles(UploadManager* uploads, ManagedVector<FileProxy>* files) {
  for (FileProxy* file : *files)
    uploads->addFile(file);
  files->std::vector<FileProxy*>::clear();
  uploads->listComplete();
  uploads->owner()->refreshUploads(uploads);
}

} // namespace ft
