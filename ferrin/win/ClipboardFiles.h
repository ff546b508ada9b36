// Reads the files another program copied to the clipboard and hands them
// to the main thread, which offers them to the other end as a clipboard
// share. Three shapes of list are read, whichever the clipboard offers
// first: a shell item list, a dropped-file list, or file descriptors with
// their contents as streams. Contents that this process put there itself
// (the private format with its id) are never offered back.
//
// clipboardChanged runs on the clipboard thread: each reader signals
// "Pending" when it starts and "Ready" with the new list, through the
// hand-off the main thread takes the list from. The data object of
// descriptor files is kept in the global interface table, so that the main
// thread reaches it through its own apartment.
//
// The walk over the formats is bounded, and a reader that failed is not
// asked again for the same contents: another program's format enumerator
// may never end.
#pragma once

#include "ferrin/win/FileHandOff.h"
#include "ui/win/ClipboardThread.h"

#include <objidl.h>

#include <memory>

namespace ft {

class ClipboardFiles : public ui::clipboard::ContentHandler {
public:
  // Registers with the thread, which owns it from then on. Throws
  // plat::SystemException "CreateEvent".
  explicit ClipboardFiles(ui::clipboard::Thread* thread);
  // Tells the hand-off that nothing more comes.
  ~ClipboardFiles() override;

  // Shared with the main thread.
  const std::shared_ptr<FileHandOff>& handOff() const { return handOff_; }

  // May throw ui::clipboard::OpenClipboardFail.
  bool clipboardChanged() override;

  // The first list the data object offers, in the order of its formats:
  // false when it offers none.
  bool readFormats(IDataObject* data);
  // The readers, each over a data object's one format: false when it has
  // no list of its kind. Throw plat::Exception for broken data.
  bool readShellIdList(IDataObject* data);
  bool readDroppedFiles(IDataObject* data);
  bool readDescriptors(IDataObject* data, const FORMATETC& contents);

private:
  std::shared_ptr<FileHandOff> handOff_;
};

} // namespace ft
