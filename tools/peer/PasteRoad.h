// The paste road: a share of generated files offered for the clipboard,
// pasted out of ferrin by kivpaste the way the shell pastes, every byte
// checked; and the same files pasted from our plain virtual-file source
// (kivcopy --virtual): the paste without ferrin.
#pragma once

#include "CallCounts.h"
#include "PeerSession.h"

#include "testing/VirtualTree.h"

#include <string>

namespace peer {

struct PasteResult {
  bool ok = false;
  std::string problem;
  double seconds = 0; // as kivpaste measured its paste
  uint64_t bytes = 0;
  int files = 0;
  int renewals = 0; // byte limits ferrin renewed meanwhile
  Counts sender;    // kivpeer's system calls meanwhile
  Counts receiver;  // ferrin's, over its whole run (once it has ended)
};

struct Helpers {
  std::wstring copy;  // kivcopy.exe
  std::wstring paste; // kivpaste.exe
  std::string work;   // a folder for reports
  int timeout = 600;  // seconds for one paste
};

// Offers the tree with the flags, waits until ferrin has it on the
// clipboard, has kivpaste paste it and checks its report against the tree.
// held: another window holds the clipboard open as kivpaste begins, for a
// second after it has started.
PasteResult pasteShare(PeerSession& session, const testing_support::VirtualShape& shape,
                       uint32_t flags, const Helpers& helpers, bool held = false);

// The same tree pasted from kivcopy's virtual files, without ferrin.
PasteResult pasteVirtualSource(const testing_support::VirtualShape& shape, const Helpers& helpers);

// Whether the clipboard holds file descriptors.
bool clipboardHasFiles();

} // namespace peer
