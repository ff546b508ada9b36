// The registry of `./dev shots`: every window of the programs that a
// person should be able to look at registers a shot maker here, in a
// source file listed with kiv_shots() (cmake/Kiv.cmake). kivshots runs
// every maker under the virtual display and saves build/shots/<name>.png
// (<name>@144.png for the run at 144 DPI).
//
//   KIV_SHOT(file_transfer) {
//     ft::FileTransferDialog dialog(...);   // realistic content
//     dialog.show(nullptr);
//     shot.save(dialog.getHandle());
//   }
//
// A modal window is saved from a ModalHelper step while the maker's thread
// sits in its modal loop (see the chooser's maker in libs/ui/shots).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class Shot {
public:
  Shot(const std::string& name, const std::string& path) : name_(name), path_(path) {}
  // Lets the window paint, checks the layout of checked (the whole window
  // when null: a maker passes its own part of a system dialog), and saves
  // the window's picture. Called once per shot, from any thread.
  void save(HWND window, HWND checked = nullptr);

  const std::string& name() const { return name_; }
  bool saved() const { return saved_; }
  // Layout faults found in the window (clipped texts, overlapping controls).
  const std::vector<std::string>& faults() const { return faults_; }

private:
  std::string name_;
  std::string path_;
  bool saved_ = false;
  std::vector<std::string> faults_;
};

typedef void (*ShotMaker)(Shot& shot);

struct ShotEntry {
  const char* name;
  ShotMaker make;
};

// Every registered maker, in registration order.
std::vector<ShotEntry>& shotMakers();

struct ShotRegistration {
  ShotRegistration(const char* name, ShotMaker make) { shotMakers().push_back({name, make}); }
};

} // namespace testing_support

#define KIV_SHOT(name)                                                                             \
  static void kivShot_##name(testing_support::Shot& shot);                                        \
  static testing_support::ShotRegistration kivShotRegistration_##name(#name, kivShot_##name);      \
  static void kivShot_##name(testing_support::Shot& shot)
