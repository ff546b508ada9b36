// New entries from the viewer: their file names and what the details pane
// says of them.
#include "ledrow/app/EntrySummary.h"
#include "ledrow/app/NewEntryName.h"
#include "ledrow/data/ConnOptions.h"
#include "ledrow/data/FileOps.h"
#include "ledrow/data/tests/ScratchDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace addrbook;

namespace {

std::string base(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

void touch(const std::string& path) { fclose(openFile(path.c_str(), "wb")); }

} // namespace

TEST(NewEntryName, ServerTextBecomesOneSafeFreeName) {
  ScratchDir dir;
  std::string folder = dir.file("book");
  makeDirectory(folder.c_str());
  EXPECT_EQ("files.example-5901.kiv", base(newEntryPath(folder.c_str(), "files.example:5901")));
  touch(folder + PathSeparator + "files.example-5901.kiv");
  EXPECT_EQ("files.example-5901 (1).kiv",
            base(newEntryPath(folder.c_str(), "files.example:5901")));
  EXPECT_EQ("New Entry.kiv", base(newEntryPath(folder.c_str(), "")));
  // Nothing the viewer sends leaves the folder or names a device.
  EXPECT_EQ("-..-evil-x--.kiv", base(newEntryPath(folder.c_str(), "\"..\\evil\tx\".")));
  EXPECT_EQ("CON-.kiv", base(newEntryPath(folder.c_str(), "CON")));
}

// A name that cannot be looked at is an error to report, not a name to
// skip (a thousand times over).
TEST(NewEntryName, AFolderThatCannotBeLookedAtIsAnError) {
  ScratchDir dir;
#ifdef _WIN32
  std::string folder = dir.file("bad<folder");
#else
  std::string folder = dir.file("loop");
  ASSERT_EQ(0, symlink(folder.c_str(), folder.c_str()));
  folder += "/x";
#endif
  EXPECT_THROW(newEntryPath(folder.c_str(), "host"), plat::SystemException);
}

TEST(EntrySummary, NamesSharingScreenAndViewOnly) {
  CConnOptions options;
  EXPECT_EQ("Shared", optionsSummary(options));
  options.shared.setValue(false, 50);
  options.fullScreen.setValue(true, 50);
  for (plat::BoolParameter* p : {&options.clientCutText, &options.shareFiles,
                                 &options.sendKeyEvents, &options.sendPointerEvents})
    p->setValue(false, 50);
  EXPECT_EQ("Exclusive, Full-screen, View-only", optionsSummary(options));
}
