#include "ft/OfferFiles.h"

#include "ft/Extension.h"

namespace ft {

void offerFiles(UploadManager* uploads, ManagedVector<FileProxy>* files) {
  size_t handed = 0;
  try {
    for (FileProxy*& file : *files) {
      // Out of the list before the manager has it.
      FileProxy* next = file;
      file = nullptr;
      handed++;
      uploads->addFile(next);
    }
  } catch (...) {
    files->std::vector<FileProxy*>::erase(files->begin(), files->begin() + handed);
    uploads->abandonShare();
    throw;
  }
  files->std::vector<FileProxy*>::clear();
  uploads->listComplete();
  uploads->owner()->refreshUploads(uploads);
}

} // namespace ft
