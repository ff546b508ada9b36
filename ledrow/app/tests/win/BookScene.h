// An address book for a test or a picture: a sample book in a temporary
// folder, named by AddressBook, its master password's verifier in
// MasterPassword, the settings key open and the thread's managers made.
// The settings go back to their defaults afterwards.
#pragma once

#include "../SampleBook.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/win/MainDialog.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/app/win/SettingsKey.h"
#include "ledrow/passwords/Parameters.h"
#include "plat/TimerManager.h"
#include "plat/win/AppInit.h"
#include "plat/win/EventManager.h"
#include "testing/TempDir.h"

#include <string>

namespace addrbook_test {

const char* const Master = "harbour lights";

struct BookScene {
  plat::TimerManager timers;
  plat::EventManager events;
  testing_support::TempDir temp;
  std::string root;
  int entries = 0;

  // sample: the sample book; otherwise an empty one.
  explicit BookScene(bool sample = true) : root(temp.file("Book")) {
    // Message boxes take their caption from the program's identity.
    static bool started = (plat::appInit("ledrow", nullptr), true);
    (void)started;
    addrbook::openSettingsKey();
    if (sample)
      entries = addrbook::sample::writeSampleBook(root, Master);
    set(addrbook::addressBook, root.c_str());
    set(addrbook::masterPassword, addrbook::sample::verifier(Master).c_str());
    set(addrbook::minimiseToTray, "0");
  }
  ~BookScene() {
    for (plat::ConfigParameter* p : touched)
      p->removeValue(plat::PriorityUser);
  }
  void set(plat::ConfigParameter& param, const char* value) {
    param.setParam(value, plat::PriorityUser);
    touched.push_back(&param);
  }
  std::string path(const std::string& relative) const { return root + "\\" + relative; }

private:
  std::vector<plat::ConfigParameter*> touched;
};

// The first entry of that name anywhere in the dialog's book, or null.
inline addrbook::TreeLeaf* findEntry(addrbook::MainDialog& dialog, const char* name) {
  for (const auto& root : dialog.roots())
    for (addrbook::TreeLeaf* leaf : root->allLeaves())
      if (strcmp(leaf->getName(), name) == 0)
        return leaf;
  return nullptr;
}

// Runs what the window's thread has been sent or posted, for ms.
inline void pump(int ms) {
  for (DWORD until = GetTickCount() + ms; GetTickCount() < until;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message != WM_QUIT)
        DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

inline bool exists(const std::string& path) {
  return GetFileAttributesW(testing_support::wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace addrbook_test
