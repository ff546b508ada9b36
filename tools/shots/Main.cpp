// kivshots: opens every registered window under the (virtual) display and
// saves a picture of each; see testing/Shots.h.
//   kivshots <folder> [name...]
// Exit code 1 when a picture could not be made or a window shows layout
// faults.
#include "plat/Exception.h"
#include "plat/win/AppInit.h"
#include "testing/Shots.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

using testing_support::Shot;
using testing_support::ShotEntry;

static bool wanted(const char* name, int argc, char** argv) {
  if (argc <= 2)
    return true;
  for (int i = 2; i < argc; i++)
    if (strcmp(argv[i], name) == 0)
      return true;
  return false;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: kivshots <folder> [name...]\n");
    return 2;
  }
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  plat::appInit("kivshots", nullptr);
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  std::string suffix = dpi == 96 ? "" : "@" + std::to_string(dpi);
  printf("screen at %d DPI\n", dpi);

  int failed = 0;
  for (const ShotEntry& entry : testing_support::shotMakers()) {
    if (!wanted(entry.name, argc, argv))
      continue;
    Shot shot(entry.name, std::string(argv[1]) + "\\" + entry.name + suffix + ".png");
    std::string error;
    try {
      entry.make(shot);
    } catch (const plat::Exception& e) {
      error = e.str();
    } catch (const std::exception& e) {
      error = e.what();
    }
    if (!error.empty() || !shot.saved() || !shot.faults().empty())
      failed++;
    printf("%-24s %s\n", (entry.name + suffix).c_str(),
           !error.empty() ? ("failed: " + error).c_str() : shot.saved() ? "saved" : "not saved");
    for (const std::string& fault : shot.faults())
      printf("    layout: %s\n", fault.c_str());
    fflush(stdout);
  }
  return failed ? 1 : 0;
}
